#pragma once

#include "file.h"

#include <memory>
#include <string>

namespace quenlo::win {

// Open the file at `exact`, a full path in the \\?\ form that the system
// takes as it stands (a name ending in a dot or a space reaches that very
// file), as quenlo::openforupdate and openforreading open a path. Errors
// name `shown`, the name the user sees.
std::unique_ptr<File> openforupdate(const std::wstring &exact, const std::string &shown);
std::unique_ptr<File> openforreading(const std::wstring &exact, const std::string &shown);

} // namespace quenlo::win
