#pragma once

#include <string>
#include <string_view>

namespace quenlo::cli {

// True when `name` cannot be printed as it stands without risk to the line
// it sits on: it holds a control character (below 0x20, 0x7F, or U+0080 to
// U+009F), a Unicode line or paragraph separator (U+2028, U+2029), a
// bidirectional control (U+200E, U+200F, U+202A to U+202E, U+2066 to
// U+2069) or bytes that are not valid UTF-8; or it holds ": ", or starts
// or ends with a space.
bool needsquoting(std::string_view name);

// `name` as quenlo-fix prints it: unchanged when it needs no quoting, and
// otherwise in the shell-escape quoting of GNU coreutils (ls
// --quoting-style=shell-escape in a UTF-8 locale), where every character
// named above and every byte that is not part of valid UTF-8 is written as
// an escape inside $'...', e.g. 'a'$'\n''b', and the rest inside '...'.
// The result is one line of printable text that a POSIX shell reads back
// as the very same bytes.
std::string quotename(std::string_view name);

} // namespace quenlo::cli
