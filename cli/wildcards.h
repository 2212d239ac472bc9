#pragma once

#include <cstddef>
#include <string_view>

namespace quenlo::cli {

// Where the last component of `path` starts: after its last '\' or '/', or
// after the drive's colon in "C:name".
std::size_t lastcomponent(std::string_view path);

// Whether the last component of `path` holds a '*' or '?', which Windows
// never allows in a file name. Windows' own expansion is in
// cli/windows/wildcards_win.h.
bool haswildcard(std::string_view path);

} // namespace quenlo::cli
