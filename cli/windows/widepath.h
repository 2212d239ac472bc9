#pragma once

#include <string>

namespace quenlo::cli {

// `path` (UTF-8) as the absolute wide path, in the form that lifts the
// 260-character limit, that Windows' file functions take. Throws
// quenlo::Error naming `path` when it is no valid name.
std::wstring widepath(const std::string &path);

// A name typed on the command line as it is shown in the lines: as typed,
// unless a component ends in a dot or a space, which Windows' rules for
// typed names may take off ("T.PRJ." is T.PRJ): then as the full path of
// the file actually reached. The \\?\ form is taken as it stands.
std::string asworkedon(const std::string &typed);

} // namespace quenlo::cli
