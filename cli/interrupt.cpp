#include "interrupt.h"

#include "exitguard.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace quenlo::cli {

namespace {

// Lock-free, so the signal handler may use them.
std::atomic<int> caught{0};
std::atomic<long long> firstat{0}; // when the first came, in milliseconds
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<long long>::is_always_lock_free);

// A second interrupt must be a second press: one that comes within this
// time of the first is the same press told twice (a terminal signals the
// whole process group, and wrappers such as timeout pass it on again).
constexpr long long kSecondPressAfter = 500;

// Milliseconds on a clock that never goes back; safe in a signal handler.
long long now()
{
#ifdef _WIN32
    return static_cast<long long>(::GetTickCount64());
#else
    timespec time {};
    ::clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<long long>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
#endif
}

// On a terminal the line starts on a row of its own, below a progress line.
constexpr char kStoppedNow[] = "\nquenlo-fix: stopped at once: a file fixed at this moment may lack its line\n";
std::atomic<bool> errterminal{false};

// Says so on standard error if that can be done without waiting: standard
// error may be a pipe nobody reads.
void tellstopped()
{
    const char *text = kStoppedNow + (errterminal ? 0 : 1);
    const auto size = sizeof kStoppedNow - (errterminal ? 1 : 2);
#ifdef _WIN32
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (err != nullptr && err != INVALID_HANDLE_VALUE && ::GetFileType(err) != FILE_TYPE_PIPE)
        ::WriteFile(err, text, static_cast<DWORD>(size), &written, nullptr);
#else
    pollfd ready{2, POLLOUT, 0};
    if (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLOUT))
        [[maybe_unused]] const auto written = ::write(2, text, size);
#endif
}

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
    const int saved = errno;
    noteinterrupt(signal);
    errno = saved;
}
#endif

} // namespace

void noteinterrupt(int signal)
{
    // The time first, so that whoever sees the interrupt noted sees when.
    long long never = 0;
    firstat.compare_exchange_strong(never, now());
    int none = 0;
    if (caught.compare_exchange_strong(none, signal) || now() - firstat.load() < kSecondPressAfter)
        return;
    tellstopped();
    endnow(128 + signal);
}

void clearinterrupt()
{
    caught = 0;
    firstat = 0;
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
    DWORD mode = 0;
    errterminal = ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    ::SetConsoleCtrlHandler(oncontrol, TRUE);
#else
    errterminal = ::isatty(2) != 0;
    struct sigaction action {};
    action.sa_handler = onsignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls start again: the file layer never sees EINTR
    // from us, and the run looks at interrupted() between files. Output
    // never waits on a write that may block (see fdoutput.h).
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
