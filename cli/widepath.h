#pragma once

#include <string>

namespace quenlo::cli {

// `path` (UTF-8) as the absolute wide path, in the form that lifts the
// 260-character limit, that Windows' file functions take. Throws
// quenlo::Error naming `path` when it is no valid name.
std::wstring widepath(const std::string &path);

} // namespace quenlo::cli
