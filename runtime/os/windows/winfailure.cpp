#include "winfailure.h"

#include "error.h"
#include "file.h"
#include "utf16.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace quenlo::win {

std::string systemmessage(unsigned long code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                              | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    // Under keep the conversion never fails, here on an error's way.
    std::string text = length > 0 ? toutf8(std::wstring_view(buffer, length), LoneSurrogate::keep)
                                  : "Error " + std::to_string(code) + ".";
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string describe(unsigned long code, const std::string &what)
{
    const char *plainly = nullptr;
    if (code == ERROR_SHARING_VIOLATION)
        plainly = "the file is being used by another process";
    else if (code == ERROR_LOCK_VIOLATION)
        plainly = kLockedByAnother;
    if (!plainly)
        return what + ": " + systemmessage(code);
    return what + ": " + plainly + " (" + systemmessage(code) + ")";
}

void fail(unsigned long code, const std::string &path, const std::string &what)
{
    throw Error(static_cast<int>(code), path, describe(code, what));
}

} // namespace quenlo::win
