#pragma once

#include <string>
#include <string_view>

namespace quenlo {

// Windows names between UTF-16, as the system keeps them, and UTF-8, as the
// rest of the program carries them. Both directions are exact.

// UTF-16 as UTF-8. A lone surrogate, which UTF-8 cannot carry, is kept in
// the generalized three-byte form (0xED 0xA0..0xBF ..) that no valid UTF-8
// holds: the name is then refused by toutf16() instead of turning into
// another name (U+FFFD) that may belong to a different file.
std::string toutf8(std::wstring_view text);

// UTF-8 as UTF-16. Throws quenlo::Error (ERROR_NO_UNICODE_TRANSLATION) with
// `text` as its subject when the bytes are not valid UTF-8.
std::wstring toutf16(const std::string &text);

} // namespace quenlo
