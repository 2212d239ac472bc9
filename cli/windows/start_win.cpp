#include "systemstart.h"

#include "winargs.h"
#include "winconsole.h"

#include <algorithm>
#include <windows.h>

namespace quenlo::cli {

namespace {

// The columns of standard error's console; 0 when not known.
std::size_t errorwidth()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info))
        return 0;
    return static_cast<std::size_t>(std::max(info.srWindow.Right - info.srWindow.Left + 1, 0));
}

} // namespace

std::vector<std::string> commandarguments(int, char **)
{
    return utf8arguments();
}

void ignorefatalsignals()
{
}

StandardOutput standardoutput()
{
    StandardOutput output{consolestream(STD_OUTPUT_HANDLE), consolestream(STD_ERROR_HANDLE), {}};
    output.terminals = {output.out != nullptr, output.err != nullptr, errorwidth};
    if (output.err)
        output.err->setf(std::ios::unitbuf);
    return output;
}

} // namespace quenlo::cli
