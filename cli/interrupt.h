#pragma once

namespace quenlo::cli {

// Ctrl-C and its kin. Once caught, a first interrupt does not end the
// program: it is only noted, so that the run can finish the files under
// way, print their lines and start nothing new. A second one ends the
// program at once (128 and the signal's number), saying so on standard
// error, though never half-way through a file's header (see exitguard.h).

// Catches SIGINT and SIGTERM on POSIX, Ctrl+C and Ctrl+Break on Windows.
void catchinterrupts();

// Whether an interrupt has come since the start (or since clearinterrupt()).
bool interrupted();

// The exit status that tells the interrupt: 128 and the signal's number
// (130 for SIGINT and for Ctrl+C on Windows).
int interruptstatus();

// Notes an interrupt as if the signal had come (the first; a second one
// ends the program); forgets it again.
void noteinterrupt(int signal);
void clearinterrupt();

// What the run says on standard error after the first interrupt.
inline constexpr const char *kInterruptNotice =
    "quenlo-fix: interrupted: finishing the files under way (press Ctrl-C again to stop at once)";

} // namespace quenlo::cli
