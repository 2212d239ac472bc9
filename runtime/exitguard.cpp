#include "exitguard.h"

#include <atomic>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quenlo {

namespace {

// Lock-free, so that a signal handler may use them. Each side first makes
// itself known, then looks at the other: either the guard sees the end
// asked for, or endnow() sees the guard.
std::atomic<int> guards{0};
std::atomic<int> ending{-1}; // the status to end with; -1: not asked
static_assert(std::atomic<int>::is_always_lock_free);

[[noreturn]] void end(int status)
{
#ifdef _WIN32
    // Behind _Exit, ExitProcess still runs the DLLs' detach code, and the C
    // run-time's waits for the lock of a standard stream that a thread
    // blocked in a write (a full pipe) holds: the program would hang.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
#endif
    std::_Exit(status);
}

} // namespace

ExitGuard::ExitGuard()
{
    guards.fetch_add(1);
    const int status = ending.load();
    if (status < 0)
        return;
    // Too late to start a write: the program is ending.
    if (guards.fetch_sub(1) == 1)
        end(status);
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

ExitGuard::~ExitGuard()
{
    if (guards.fetch_sub(1) == 1) {
        const int status = ending.load();
        if (status >= 0)
            end(status);
    }
}

void endnow(int status)
{
    int none = -1;
    ending.compare_exchange_strong(none, status);
    if (guards.load() == 0)
        end(ending.load());
}

} // namespace quenlo
