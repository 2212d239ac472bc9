#pragma once

#include <string>
#include <string_view>

namespace quenlo::win {

// Text between UTF-16, as Windows keeps it, and UTF-8, as the rest of the
// program carries it: the one converter of the program. Exact both ways,
// save toutf16lossy().

// What becomes of a lone surrogate, half of a UTF-16 pair without the other
// half, which Windows lets a name hold and UTF-8 cannot carry. The caller
// chooses.
enum class LoneSurrogate {
    // For file names. toutf8() keeps it in the generalized three-byte form
    // (0xED 0xA0..0xBF ..) that no valid UTF-8 holds, so two names stay two,
    // and toutf16() refuses that form: such a name is refused by name instead
    // of turning into another name (U+FFFD) that may belong to a different
    // file. An error from toutf16() names the text itself and says that it
    // cannot be opened.
    keep,
    // For the window's texts. Both directions refuse it; an error names
    // `what` ("a control's text").
    refuse,
};

// UTF-16 as UTF-8. Under keep never fails; under refuse throws
// quenlo::Error (ERROR_NO_UNICODE_TRANSLATION) for a lone surrogate.
std::string toutf8(std::wstring_view text, LoneSurrogate lone, std::string_view what = "text");

// UTF-8 as UTF-16. Throws quenlo::Error (ERROR_NO_UNICODE_TRANSLATION) when
// the bytes are not valid UTF-8, the kept form of a lone surrogate among
// them; worded for a name under keep, naming `what` under refuse.
std::wstring toutf16(std::string_view text, LoneSurrogate lone, std::string_view what = "text");

// For showing a text, or matching a name against a pattern, only; never for
// a name to open: like toutf16(), but a byte that is not UTF-8 becomes
// U+FFFD instead of failing.
std::wstring toutf16lossy(std::string_view text);

} // namespace quenlo::win
