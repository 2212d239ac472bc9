#pragma once

#include <string>

namespace quenlo {

// `name` as the full path an Open dialog returns for it: a relative name is
// taken from the current folder. Where that cannot be done (the current
// folder is gone; on Windows, a name that no UTF-16 name can be), `name` as
// given, so that opening it tells why.
std::string fullpath(const std::string &name);

} // namespace quenlo
