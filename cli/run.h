#pragma once

#include "file.h"
#include "options.h"

#include <iosfwd>

namespace quenlo::cli {

// Fixes (or, in a dry run, checks) each file in order: one line on `out`
// per file that was read, one on `err` per file that failed, and the run
// goes on with the next file. A file whose header already holds the fixed
// marker is reported as already fixed and counts as done. Names that could
// break a line are printed quoted (see quotename.h). Returns the exit status.
int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files = systemfiles());

} // namespace quenlo::cli
