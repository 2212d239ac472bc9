#pragma once

#include <cstddef>

namespace quenlo::cli {

// What catching interrupts (interrupt.h) needs of the system: each system's
// own in cli/posix (signals) and cli/windows (the console's control
// handler). All but listenforinterrupts() are safe in a signal handler.

// Milliseconds on a clock that never goes back.
long long steadymilliseconds();

// Writes `size` bytes of `text` to standard error if that can be done
// without waiting: standard error may be a pipe nobody reads.
void writeerrornowait(const char *text, std::size_t size);

// Whether standard error is a terminal (on Windows: a console).
bool erroronterminal();

// From now on each interrupt calls noteinterrupt() with its signal's number
// (SIGINT for Ctrl+C and Ctrl+Break on Windows). A signal ignored from the
// start (a background job, nohup) stays so.
void listenforinterrupts();

} // namespace quenlo::cli
