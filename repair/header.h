#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quenlo {

// A project file's first ten bytes, one character per byte.
inline constexpr std::size_t kHeaderSize = 10;
using ProjectHeader = std::array<char, kHeaderSize>;

// The version marker that MIRD+ cannot open, and what it becomes.
inline constexpr std::string_view kVersionMarker = "/8203";
inline constexpr std::string_view kFixedMarker = "/8202";
static_assert(kVersionMarker.size() == kFixedMarker.size(), "the fix must keep the header's length");

} // namespace quenlo
