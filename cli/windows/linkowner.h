#pragma once

#include <string>

namespace quenlo::cli {

// Refuses (throws quenlo::Error naming `shown`, its reason after `prefix`)
// to follow the symbolic link or junction that `exact` (a \\?\ path) is,
// unless its owner is the user running us (or the owner the user's new
// files get, Administrators for an elevated one) or the owner of what it
// leads to: the rule the walk keeps on Linux. Nothing when `exact` is no
// link.
void refuseunlessfollowable(const std::wstring &exact, const std::string &shown, const std::string &prefix);

} // namespace quenlo::cli
