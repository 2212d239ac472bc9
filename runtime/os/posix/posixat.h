#pragma once

#include "file.h"
#include "posixopen.h"

#include <memory>
#include <string>

namespace quenlo::posix {

// openforupdate() and openforreading() for a file found by `at`: a name
// inside a folder held open, as a folder walk meets it, so that names of any
// depth work and a folder swapped for a link is never followed. Errors name
// the file as `shown`. The folder's descriptor must stay open as long as
// the file does.
std::unique_ptr<File> openforupdate(const At &at, const std::string &shown);
std::unique_ptr<File> openforreading(const At &at, const std::string &shown);
std::unique_ptr<File> openforlook(const At &at, const std::string &shown);

} // namespace quenlo::posix
