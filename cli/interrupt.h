#pragma once

namespace quenlo::cli {

// Ctrl-C and its kin. Once caught, an interrupt does not end the program: it
// is only noted, so that the run can finish the files under way, print their
// lines and start nothing new.

// Catches SIGINT and SIGTERM on POSIX, Ctrl+C and Ctrl+Break on Windows.
void catchinterrupts();

// Whether an interrupt has come since the start (or since clearinterrupt()).
bool interrupted();

// The exit status that tells the interrupt: 128 and the signal's number
// (130 for SIGINT and for Ctrl+C on Windows).
int interruptstatus();

// Notes an interrupt as if the signal had come; forgets it again.
void noteinterrupt(int signal);
void clearinterrupt();

} // namespace quenlo::cli
