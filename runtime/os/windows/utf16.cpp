#include "utf16.h"

#include "error.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>
#include <optional>
#include <utility>

namespace quenlo::win {

namespace {

bool highsurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool lowsurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void append(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Code unit by code unit, for text the system's converter refuses.
std::string generalized(std::wstring_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (highsurrogate(c) && i + 1 < text.size() && lowsurrogate(text[i + 1])) {
            append(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            append(out, char32_t(c));
        }
    }
    return out;
}

// Whether `text` holds 0xED 0xA0..0xBF: a surrogate written out as if a
// character.
bool holdssurrogate(std::string_view text)
{
    bool surrogate = false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto next = static_cast<unsigned char>(text[i + 1]);
        surrogate |= lead == 0xED && next >= 0xA0 && next <= 0xBF;
    }
    return surrogate;
}

int checkedsize(std::size_t size, std::string_view subject)
{
    if (size > INT_MAX)
        throw Error(ERROR_INVALID_PARAMETER, std::string(subject), "the text is too long to convert");
    return static_cast<int>(size);
}

[[noreturn]] void untranslatable(std::string_view subject, const char *reason)
{
    throw Error(ERROR_NO_UNICODE_TRANSLATION, std::string(subject), reason);
}

// The system's conversions of text that is not empty; nothing where they
// refuse it.
std::optional<std::wstring> systemutf16(std::string_view text, int length, DWORD flags)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, wide.data(), size) != size)
        return std::nullopt;
    return wide;
}

std::optional<std::string> systemutf8(std::wstring_view text, int length)
{
    const int size =
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string result(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, result.data(), size, nullptr, nullptr)
        != size)
        return std::nullopt;
    return result;
}

} // namespace

std::string toutf8(std::wstring_view text, LoneSurrogate lone, std::string_view what)
{
    if (text.empty())
        return {};
    if (lone == LoneSurrogate::keep) {
        if (text.size() > INT_MAX)
            return generalized(text);
        auto converted = systemutf8(text, static_cast<int>(text.size()));
        return converted ? std::move(*converted) : generalized(text);
    }
    auto converted = systemutf8(text, checkedsize(text.size(), what));
    if (!converted)
        untranslatable(what, "holds an unpaired surrogate, which UTF-8 cannot carry");
    return std::move(*converted);
}

std::wstring toutf16(std::string_view text, LoneSurrogate lone, std::string_view what)
{
    if (text.empty())
        return {};
    // Under keep the text is a name, and an error names it.
    const std::string_view subject = lone == LoneSurrogate::keep ? text : what;
    auto converted = systemutf16(text, checkedsize(text.size(), subject), MB_ERR_INVALID_CHARS);
    if (converted)
        return std::move(*converted);
    if (lone == LoneSurrogate::refuse)
        untranslatable(what, "not valid UTF-8");
    untranslatable(text, holdssurrogate(text)
                             ? "cannot open: the name holds a lone UTF-16 surrogate, so it cannot be passed on exactly"
                             : "cannot open: the name is not valid UTF-8");
}

std::wstring toutf16lossy(std::string_view text)
{
    if (text.empty())
        return {};
    auto converted = systemutf16(text, checkedsize(text.size(), "text"), 0);
    if (!converted)
        untranslatable("text", "not valid UTF-8");
    return std::move(*converted);
}

} // namespace quenlo::win
