#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenlo::cli {

// The command line's arguments, after the program's name, in UTF-8: the
// ANSI argv of main() cannot hold every file name Windows allows.
std::vector<std::string> utf8arguments();

// `wide` in UTF-8. A surrogate without its partner (Windows allows them in
// names) is kept as its own three bytes, which are not valid UTF-8: the
// file services then refuse the name, and it is printed quoted, instead of
// being replaced by U+FFFD and naming another file.
std::string utf8fromwide(std::wstring_view wide);

} // namespace quenlo::cli
