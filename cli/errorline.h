#pragma once

#include "error.h"

#include <string>

namespace quenlo::cli {

// The error line for a file or folder that failed, without the program's
// name: its name quoted when it has to be (see quotename.h), then the reason.
std::string errorline(const Error &error);

} // namespace quenlo::cli
