#pragma once

#include "file.h"
#include "options.h"
#include "progress.h"

#include <iosfwd>

namespace quenlo::cli {

// Which of standard output and standard error are terminals.
struct Terminals {
    bool out = false;
    bool err = false;
    ProgressLine::Width errwidth; // the columns of standard error's terminal
};

// Fixes (or, in a dry run, checks) each file, `options.jobs` at a time: one
// line on `out` per file that was read, one on `err` per file that failed,
// in the order of the arguments (folders walked with `options.recursive`),
// and the run goes on with the next file. When standard error is a
// terminal (`terminals`), a progress line shows on `err` during a long
// run, and a run that met more than one file ends there with a line that
// counts the outcomes. With `options.quiet`, files fixed or already fixed
// get no line. After an interrupt (see interrupt.h) no new file is started. The
// real run opens a file for writing only when it needs the fix. A file whose header already holds
// the fixed marker is reported as already fixed and counts as done. Names
// that could break a line are printed quoted (see quotename.h). Returns the
// exit status.
int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files = systemfiles(),
        Terminals terminals = {});

} // namespace quenlo::cli
