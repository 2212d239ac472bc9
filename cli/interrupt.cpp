#include "interrupt.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quenlo::cli {

namespace {

// Lock-free, so the signal handler may set it.
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32
BOOL WINAPI oncontrol(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    noteinterrupt(SIGINT);
    return TRUE;
}
#else
extern "C" void onsignal(int signal)
{
    noteinterrupt(signal);
}
#endif

} // namespace

void noteinterrupt(int signal)
{
    int none = 0;
    caught.compare_exchange_strong(none, signal);
}

void clearinterrupt()
{
    caught = 0;
}

bool interrupted()
{
    return caught.load() != 0;
}

int interruptstatus()
{
    return 128 + caught.load();
}

void catchinterrupts()
{
#ifdef _WIN32
    ::SetConsoleCtrlHandler(oncontrol, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = onsignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls start again: the file layer never sees EINTR
    // from us, and the run looks at interrupted() between files.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM}) {
        // A signal ignored from the start (a background job, nohup) stays so.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
#endif
}

} // namespace quenlo::cli
