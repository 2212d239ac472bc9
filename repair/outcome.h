#pragma once

#include <string_view>

namespace quenlo {

enum class FixOutcome {
    Fixed,          // the marker was found and rewritten
    InvalidVersion, // no marker in the header; nothing written
};

inline constexpr std::string_view kFixResultTitle = "Fix Result";

// The text that reports `outcome` to the user.
std::string_view outcometext(FixOutcome outcome);

} // namespace quenlo
