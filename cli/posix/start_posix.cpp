#include "systemstart.h"

#include "fdoutput.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quenlo::cli {

namespace {

// The columns of standard error's terminal; 0 when not known.
std::size_t errorwidth()
{
    winsize size {};
    return ::ioctl(2, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

} // namespace

std::vector<std::string> commandarguments(int argc, char **argv)
{
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void ignorefatalsignals()
{
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

StandardOutput standardoutput()
{
    return {std::make_unique<FdOutput>(1), std::make_unique<FdOutput>(2),
            {::isatty(1) != 0, ::isatty(2) != 0, errorwidth}};
}

} // namespace quenlo::cli
