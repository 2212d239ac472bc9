#include "win32text.h"

#include "error.h"

#include "win32api.h"

#include <climits>

namespace quenlo {

namespace {

int checkedsize(std::size_t size, std::string_view what)
{
    if (size > INT_MAX)
        throw Error(ERROR_INVALID_PARAMETER, std::string(what), "the text is too long to convert");
    return static_cast<int>(size);
}

[[noreturn]] void untranslatable(std::string_view what, const char *reason)
{
    throw Error(ERROR_NO_UNICODE_TRANSLATION, std::string(what), reason);
}

std::wstring towide(std::string_view text, std::string_view what, DWORD flags)
{
    if (text.empty())
        return {};
    const int length = checkedsize(text.size(), what);
    const int size = ::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
    if (size <= 0)
        untranslatable(what, "not valid UTF-8");
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, wide.data(), size) != size)
        untranslatable(what, "not valid UTF-8");
    return wide;
}

} // namespace

std::wstring widen(std::string_view text, std::string_view what)
{
    return towide(text, what, MB_ERR_INVALID_CHARS);
}

std::wstring widenforshow(std::string_view text)
{
    return towide(text, "text", 0);
}

std::string narrow(std::wstring_view text, std::string_view what)
{
    if (text.empty())
        return {};
    const int length = checkedsize(text.size(), what);
    const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        untranslatable(what, "holds an unpaired surrogate, which UTF-8 cannot carry");
    std::string result(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, result.data(), size, nullptr, nullptr)
        != size)
        untranslatable(what, "holds an unpaired surrogate, which UTF-8 cannot carry");
    return result;
}

} // namespace quenlo
