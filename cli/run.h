#pragma once

#include "file.h"
#include "options.h"

#include <iosfwd>

namespace quenlo::cli {

// Which of standard output and standard error are terminals.
struct Terminals {
    bool out = false;
    bool err = false;
};

// Fixes (or, in a dry run, checks) each file, `options.jobs` at a time: one
// line on `out` per file that was read, one on `err` per file that failed,
// in the order of the arguments (folders walked with `options.recursive`),
// and the run goes on with the next file. When standard error is a
// terminal (`terminals`), a progress line
// line shows on `err` during a long run. After an interrupt (see
// interrupt.h) no new file is started. A file whose header already holds
// the fixed marker is reported as already fixed and counts as done. Names
// that could break a line are printed quoted (see quotename.h). Returns the
// exit status.
int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files = systemfiles(),
        Terminals terminals = {});

} // namespace quenlo::cli
