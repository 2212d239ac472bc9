#include "winargs.h"

#include "utf16.h"

#include <windows.h>
#include <shellapi.h>

namespace quenlo::cli {

std::vector<std::string> utf8arguments()
{
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    // Exact: a name that UTF-8 cannot carry stays one that the file services
    // refuse, never another file's name.
    for (int i = 1; wide && i < count; ++i)
        result.push_back(win::toutf8(wide[i], win::LoneSurrogate::keep));
    ::LocalFree(wide);
    return result;
}

} // namespace quenlo::cli
