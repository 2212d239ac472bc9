#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenlo::cli {

// Where the last component of `path` starts: after its last '\' or '/', or
// after the drive's colon in "C:name".
std::size_t lastcomponent(std::string_view path);

// Whether the last component of `path` holds a '*' or '?', which Windows
// never allows in a file name.
bool haswildcard(std::string_view path);

// The names that `pattern` matches, the way Windows programs expand it
// (FindFirstFileExW), each led by the pattern's own folder part and sorted
// by their bytes. Throws quenlo::Error naming the pattern when nothing
// matches. Windows only.
std::vector<std::string> expandwildcard(const std::string &pattern);

} // namespace quenlo::cli
