#include "interruptsystem.h"

#include "interrupt.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <initializer_list>
#include <poll.h>
#include <unistd.h>

namespace quenlo::cli {

namespace {

extern "C" void onsignal(int signal)
{
    const int saved = errno;
    noteinterrupt(signal);
    errno = saved;
}

} // namespace

long long steadymilliseconds()
{
    timespec time {};
    ::clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<long long>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

void writeerrornowait(const char *text, std::size_t size)
{
    pollfd ready{2, POLLOUT, 0};
    if (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLOUT))
        [[maybe_unused]] const auto written = ::write(2, text, size);
}

bool erroronterminal()
{
    return ::isatty(2) != 0;
}

void listenforinterrupts()
{
    struct sigaction action {};
    action.sa_handler = onsignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls start again: the file layer never sees EINTR
    // from us, and the run looks at interrupted() between files. Output
    // never waits on a write that may block (see fdoutput.h).
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace quenlo::cli
