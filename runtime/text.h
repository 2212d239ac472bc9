#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlo {

// 1-based position of the first exact, byte-for-byte occurrence of `sought`
// in `text`, searching from the first character; 0 when there is none.
// An empty `sought` is found at position 1.
std::size_t findtext(std::string_view text, std::string_view sought);

// `text` with every occurrence of `sought` replaced by `replacement`,
// scanning left to right, non-overlapping, with no limit on the count.
// An empty `sought` replaces nothing.
std::string replacetext(std::string_view text, std::string_view sought, std::string_view replacement);

} // namespace quenlo
