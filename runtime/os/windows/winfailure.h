#pragma once

#include <string>

namespace quenlo::win {

// The system's own words for an error code, without the line break.
std::string systemmessage(unsigned long code);

// "WHAT: REASON" for a failed step. Another program in the way (a sharing
// or lock violation) is said plainly, with the system's words in brackets.
std::string describe(unsigned long code, const std::string &what);

// Throws quenlo::Error(code, path, describe(code, what)).
[[noreturn]] void fail(unsigned long code, const std::string &path, const std::string &what);

} // namespace quenlo::win
