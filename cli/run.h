#pragma once

#include "file.h"
#include "options.h"

#include <iosfwd>

namespace quenlo::cli {

// Fixes (or, in a dry run, checks) each file, `options.jobs` at a time: one
// line on `out` per file that was read, one on `err` per file that failed,
// in the order of the arguments (folders walked with `options.recursive`),
// and the run goes on with the next file. When `erristerminal`, a progress
// line shows on `err` during a long run. After an interrupt (see
// interrupt.h) no new file is started. Returns the exit status.
int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files = systemfiles(),
        bool erristerminal = false);

} // namespace quenlo::cli
