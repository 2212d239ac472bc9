#include "winargs.h"

#include <windows.h>
#include <shellapi.h>

namespace quenlo::cli {

std::vector<std::string> utf8arguments()
{
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; wide && i < count; ++i) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
        if (size > 1)
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        result.push_back(std::move(arg));
    }
    ::LocalFree(wide);
    return result;
}

} // namespace quenlo::cli
