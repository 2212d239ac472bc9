#pragma once

#include "run.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace quenlo::cli {

// What quenlo-fix's start needs of the system: each system's own in
// cli/posix and cli/windows.

// The command line's arguments after the program's name, in UTF-8 (on
// Windows read again in UTF-16: the ANSI argv cannot hold every file name).
std::vector<std::string> commandarguments(int argc, char **argv);

// Signals that would end the program half-way (a write past the file-size
// limit, onto a pipe nobody reads) are ignored, so that the write fails with
// an error the run reports. Nothing on Windows, which has none.
void ignorefatalsignals();

// Where standard output and error go, and which are terminals.
struct StandardOutput {
    // Streams of our own (nothing: std::cout and std::cerr serve).
    std::unique_ptr<std::ostream> out, err;
    Terminals terminals;
};

// On POSIX, output onto a descriptor that never waits for good on a pipe
// nobody reads; on Windows, a console gets the text as UTF-16 (its code
// page, shared with every other program in that window, is never changed)
// and a file or pipe the UTF-8 bytes.
StandardOutput standardoutput();

} // namespace quenlo::cli
