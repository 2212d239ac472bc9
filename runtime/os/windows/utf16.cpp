#include "utf16.h"

#include "error.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace quenlo {

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

} // namespace

std::string toutf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return generalized(text);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring toutf16(const std::string &text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) {
        // 0xED 0xA0..0xBF starts a surrogate written out as if a character.
        bool surrogate = false;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            const auto lead = static_cast<unsigned char>(text[i]);
            const auto next = static_cast<unsigned char>(text[i + 1]);
            surrogate |= lead == 0xED && next >= 0xA0 && next <= 0xBF;
        }
        throw Error(ERROR_NO_UNICODE_TRANSLATION, text,
                    surrogate ? "cannot open: the name holds a lone UTF-16 surrogate, so it cannot be passed on exactly"
                              : "cannot open: the name is not valid UTF-8");
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), size);
    return wide;
}

} // namespace quenlo
