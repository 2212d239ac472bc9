#pragma once

#include "file.h"

namespace quenlo::cli {

// Opens the files named on the command line, which may lie in folders
// others can write to: on POSIX a symbolic link as the last component is
// followed only under the owner rule that the walk's links are (see
// posixopen.h), and on Windows likewise under the owner Windows records.
FileService &namedfiles();

} // namespace quenlo::cli
