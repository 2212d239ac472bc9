// quenlo-fix: the command-line companion of the Quenlo window.
#include "interrupt.h"
#include "options.h"
#include "run.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "winargs.h"

#include <io.h>
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

bool erristerminal()
{
#ifdef _WIN32
    return ::_isatty(2) != 0;
#else
    return ::isatty(2) != 0;
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
#ifdef _WIN32
    // File names are printed as UTF-8.
    ::SetConsoleOutputCP(CP_UTF8);
#endif
    const auto parsed = quenlo::cli::parseoptions(arguments(argc, argv), std::cout, std::cerr);
    if (const auto *status = std::get_if<int>(&parsed))
        return *status;
    // Ctrl-C lets the files under way finish and their lines be printed.
    quenlo::cli::catchinterrupts();
    return quenlo::cli::run(std::get<quenlo::cli::Options>(parsed), std::cout, std::cerr, quenlo::systemfiles(),
                            erristerminal());
}
