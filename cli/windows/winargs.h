#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenlo::cli {

// The command line's arguments, after the program's name, in UTF-8: the
// ANSI argv of main() cannot hold every file name Windows allows.
std::vector<std::string> utf8arguments();

} // namespace quenlo::cli
