#include "winargs.h"

#include <windows.h>
#include <shellapi.h>

namespace quenlo::cli {

namespace {

void append(std::string &out, char32_t code)
{
    const auto put = [&](unsigned value) { out += static_cast<char>(value); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

bool ishigh(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool islow(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

} // namespace

std::string utf8fromwide(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const wchar_t unit = wide[i];
        if (ishigh(unit) && i + 1 < wide.size() && islow(wide[i + 1])) {
            append(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else {
            append(out, static_cast<char32_t>(unit));
        }
    }
    return out;
}

std::vector<std::string> utf8arguments()
{
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; wide && i < count; ++i)
        result.push_back(utf8fromwide(wide[i]));
    ::LocalFree(wide);
    return result;
}

} // namespace quenlo::cli
