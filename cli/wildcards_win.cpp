// Wildcards in file arguments, expanded as Windows programs do: neither cmd
// nor PowerShell expands them for the program.
#include "error.h"
#include "wildcards.h"
#include "widepath.h"
#include "winfailure.h"
#include "wintext.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

namespace quenlo::cli {

std::vector<std::string> expandwildcard(const std::string &pattern)
{
    std::wstring wide;
    try {
        wide = widepath(pattern);
    } catch (const Error &error) {
        throw Error(error.number(), pattern, "no file matches: " + error.reason());
    }
    const std::string folder = pattern.substr(0, lastcomponent(pattern));
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    std::vector<std::string> names;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            throw Error(static_cast<int>(code), pattern, "no file matches");
        throw Error(static_cast<int>(code), pattern, "no file matches: " + win::systemmessage(code));
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(folder + toutf8(name));
    } while (::FindNextFileW(search, &data));
    const DWORD code = ::GetLastError();
    ::FindClose(search);
    if (code != ERROR_NO_MORE_FILES)
        throw Error(static_cast<int>(code), pattern, "cannot list the matches: " + win::systemmessage(code));
    if (names.empty())
        throw Error(ERROR_FILE_NOT_FOUND, pattern, "no file matches");
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace quenlo::cli
