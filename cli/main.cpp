// quenlo-fix: the command-line companion of the Quenlo window.
#include "exitguard.h"
#include "interrupt.h"
#include "options.h"
#include "run.h"
#include "standardstreams.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include "winargs.h"
#include "winconsole.h"

#include <windows.h>
#else
#include "fdoutput.h"

#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

std::vector<std::string> arguments(int argc, char **argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return quenlo::cli::utf8arguments();
#else
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
#endif
}

// The columns of standard error's terminal or console; 0 when not known.
std::size_t errorwidth()
{
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info))
        return 0;
    return static_cast<std::size_t>(std::max(info.srWindow.Right - info.srWindow.Left + 1, 0));
#else
    winsize size {};
    return ::ioctl(2, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
#endif
}

// Whether standard output and error are terminals (on Windows: consoles,
// which `outconsole` and `errconsole` tell), where a progress line may show.
quenlo::cli::Terminals terminals([[maybe_unused]] bool outconsole, [[maybe_unused]] bool errconsole)
{
#ifdef _WIN32
    return {outconsole, errconsole, errorwidth};
#else
    return {::isatty(1) != 0, ::isatty(2) != 0, errorwidth};
#endif
}

// Memory that runs out where it cannot be caught (a thread of ours, a
// destructor) still ends the run with its reason, never with an abort; a
// header write under way is finished first.
[[noreturn]] void onterminate()
{
    try {
        if (const auto pending = std::current_exception())
            std::rethrow_exception(pending);
    } catch (const std::bad_alloc &) {
        std::fputs("quenlo-fix: out of memory\n", stderr);
        quenlo::endnow(quenlo::cli::kFailed);
    } catch (...) {
    }
    std::abort();
}

} // namespace

int main(int argc, char **argv)
{
    std::set_terminate(onterminate);
    // Before anything is opened: a missing standard stream gets the null
    // device, so that no project file can take its place.
    const auto missing = quenlo::openstandardstreams();
#ifdef SIGXFSZ
    // Past the file-size limit a write must fail with an error we can report,
    // not kill the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::unique_ptr<std::ostream> consoleout, consoleerr;
    bool outconsole = false, errconsole = false;
#ifdef _WIN32
    // On a console, text goes out as UTF-16, so the console's code page
    // (shared with every other program in that window) is never changed;
    // a file or pipe gets the UTF-8 bytes.
    consoleout = quenlo::cli::consolestream(STD_OUTPUT_HANDLE);
    consoleerr = quenlo::cli::consolestream(STD_ERROR_HANDLE);
    outconsole = consoleout != nullptr;
    errconsole = consoleerr != nullptr;
    if (consoleerr)
        consoleerr->setf(std::ios::unitbuf);
#else
    // Never waiting for good on a pipe nobody reads.
    consoleout = std::make_unique<quenlo::cli::FdOutput>(1);
    consoleerr = std::make_unique<quenlo::cli::FdOutput>(2);
#endif
    std::ostream &out = consoleout ? *consoleout : std::cout;
    std::ostream &err = consoleerr ? *consoleerr : std::cerr;

    // Every file fixed must have its line: with nowhere to print it, no
    // file is touched.
    if (missing.out) {
        err << "quenlo-fix: standard output is closed: no file was touched" << std::endl;
        return quenlo::cli::kFailed;
    }
    const auto parsed = quenlo::cli::parseoptions(arguments(argc, argv), out, err);
    if (const auto *status = std::get_if<int>(&parsed))
        return *status;
    // Ctrl-C lets the files under way finish and their lines be printed.
    quenlo::cli::catchinterrupts();
    return quenlo::cli::run(std::get<quenlo::cli::Options>(parsed), out, err, quenlo::systemfiles(),
                            terminals(outconsole, errconsole));
}
