#pragma once

#include <string>
#include <string_view>

namespace quenlo {

// UTF-8, as the window's code and the file services take texts, to the
// UTF-16 of the Win32 API and back. Both refuse what they cannot convert
// exactly (bytes that are not UTF-8, an unpaired surrogate) with a
// quenlo::Error numbered ERROR_NO_UNICODE_TRANSLATION that names `what`.
std::wstring widen(std::string_view text, std::string_view what = "text");
std::string narrow(std::wstring_view text, std::string_view what = "text");

// For showing only: like widen(), but a byte that is not UTF-8 shows as
// U+FFFD instead of failing.
std::wstring widenforshow(std::string_view text);

} // namespace quenlo
