#pragma once

namespace quenlo {

// Keeps a program that is told to end at once from ending half-way through
// a write that must be whole (a file's header and, if it fails, its
// restoring). While one lives, endnow() waits for it; once endnow() has been
// called, a new one never lets its write begin.
class ExitGuard {
public:
    ExitGuard();
    ~ExitGuard();
    ExitGuard(const ExitGuard &) = delete;
    ExitGuard &operator=(const ExitGuard &) = delete;
};

// Ends the process with `status` (without running destructors or flushing
// streams) as soon as no ExitGuard lives: at once, or when the last one
// goes. Safe to call from a signal handler or another thread.
void endnow(int status);

} // namespace quenlo
