#include "quotename.h"

#include <cstddef>

namespace quenlo::cli {

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when
// its first byte does not begin one (stray continuation byte, overlong form,
// surrogate, beyond U+10FFFF, cut short).
std::size_t sequencelength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range allowed for the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong below U+0800
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong below U+10000
        if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

// A character that moves or breaks the line it is printed on: the
// controls, and the Unicode line and paragraph separators and
// bidirectional controls, which turn a name into another line or show its
// text in another order.
bool iscontrol(std::string_view sequence)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
    if (sequence.size() == 1)
        return byte(0) < 0x20 || byte(0) == 0x7F;
    // U+0080 to U+009F, the C1 controls: 0xC2 0x80 to 0xC2 0x9F.
    if (sequence.size() == 2)
        return byte(0) == 0xC2 && byte(1) <= 0x9F;
    if (sequence.size() != 3 || byte(0) != 0xE2)
        return false;
    // U+200E, U+200F, U+2028 to U+202E: 0xE2 0x80 ...; U+2066 to U+2069: 0xE2 0x81 ...
    if (byte(1) == 0x80)
        return byte(2) == 0x8E || byte(2) == 0x8F || (byte(2) >= 0xA8 && byte(2) <= 0xAE);
    return byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9;
}

// A name that a reader or a script would split where it should not: one
// holding the ": " that ends a name in quenlo-fix's lines, or a space at
// either end, which is lost to the eye.
bool misleads(std::string_view name)
{
    return name.find(": ") != std::string_view::npos || (!name.empty() && (name.front() == ' ' || name.back() == ' '));
}

// Calls `plain(sequence)` for each printable character of `name` and
// `escape(byte)` for each byte that has to be written as an escape.
template <typename Plain, typename Escape>
void scan(std::string_view name, Plain plain, Escape escape)
{
    while (!name.empty()) {
        const std::size_t length = sequencelength(name);
        if (length == 0) {
            escape(static_cast<unsigned char>(name[0]));
            name.remove_prefix(1);
            continue;
        }
        const auto sequence = name.substr(0, length);
        if (iscontrol(sequence)) {
            for (const char c : sequence)
                escape(static_cast<unsigned char>(c));
        } else {
            plain(sequence);
        }
        name.remove_prefix(length);
    }
}

void appendescape(std::string &out, unsigned char byte)
{
    constexpr std::string_view kLetters = "abtnvfr"; // 0x07 to 0x0D
    out += '\\';
    if (byte >= 0x07 && byte <= 0x0D) {
        out += kLetters[byte - 0x07];
        return;
    }
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

} // namespace

bool needsquoting(std::string_view name)
{
    if (misleads(name))
        return true;
    bool found = false;
    scan(name, [](std::string_view) {}, [&](unsigned char) { found = true; });
    return found;
}

std::string quotename(std::string_view name)
{
    if (!needsquoting(name))
        return std::string(name);
    // Inside '...' everything is literal but the quote itself, written as
    // '\''; escapes need $'...', entered with '$' and left with ''.
    std::string out = "'";
    bool escaping = false;
    scan(
        name,
        [&](std::string_view sequence) {
            if (sequence == "'") {
                out += "'\\''";
                escaping = false;
                return;
            }
            if (escaping)
                out += "''";
            escaping = false;
            out += sequence;
        },
        [&](unsigned char byte) {
            if (!escaping)
                out += "'$'";
            escaping = true;
            appendescape(out, byte);
        });
    out += '\'';
    return out;
}

} // namespace quenlo::cli
