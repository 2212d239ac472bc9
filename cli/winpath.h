#pragma once

#include <optional>
#include <string>

namespace quenlo::cli {

// UTF-8 and the wide text that Windows' file functions take.
std::optional<std::wstring> widen(const std::string &text);
std::string narrow(const std::wstring &text);

// `path` (UTF-8) as an absolute wide path in the form that lifts the
// 260-character limit; nothing when it is not valid UTF-8 or empty.
std::optional<std::wstring> widepath(const std::string &path);

// The system's own words for an error code, without the line break.
std::string systemmessage(unsigned long code);

} // namespace quenlo::cli
