// quenlo-fix: the command-line companion of the Quenlo window.
#include "interrupt.h"
#include "options.h"
#include "run.h"

#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include "winargs.h"
#include "winconsole.h"

#include <windows.h>
#else
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

// Whether standard output and error are terminals (on Windows: consoles,
// which `outconsole` and `errconsole` tell), where a progress line may show.
quenlo::cli::Terminals terminals([[maybe_unused]] bool outconsole, [[maybe_unused]] bool errconsole)
{
#ifdef _WIN32
    return {outconsole, errconsole};
#else
    return {::isatty(1) != 0, ::isatty(2) != 0};
#endif
}

} // namespace

int main(int argc, char **argv)
{
#ifdef SIGXFSZ
    // Past the file-size limit a write must fail with an error we can report,
    // not kill the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::unique_ptr<std::ostream> consoleout, consoleerr;
#ifdef _WIN32
    // On a console, text goes out as UTF-16, so the console's code page
    // (shared with every other program in that window) is never changed;
    // a file or pipe gets the UTF-8 bytes.
    consoleout = quenlo::cli::consolestream(STD_OUTPUT_HANDLE);
    consoleerr = quenlo::cli::consolestream(STD_ERROR_HANDLE);
    if (consoleerr)
        consoleerr->setf(std::ios::unitbuf);
#endif
    std::ostream &out = consoleout ? *consoleout : std::cout;
    std::ostream &err = consoleerr ? *consoleerr : std::cerr;

    const auto parsed = quenlo::cli::parseoptions(arguments(argc, argv), out, err);
    if (const auto *status = std::get_if<int>(&parsed))
        return *status;
    // Ctrl-C lets the files under way finish and their lines be printed.
    quenlo::cli::catchinterrupts();
    return quenlo::cli::run(std::get<quenlo::cli::Options>(parsed), out, err, quenlo::systemfiles(),
                            terminals(consoleout != nullptr, consoleerr != nullptr));
}
