#pragma once

#include "error.h"

#include <memory>
#include <string>
#include <vector>

namespace quenlo::cli {

// One name to work on, in the order of the output.
struct Operand {
    std::string path;
    // Known to fail before any work (a folder that cannot be read, a pattern
    // that matches nothing); nothing otherwise.
    std::unique_ptr<Error> problem;
};

// The names to work on, from the file arguments in their order: on Windows a
// name with a wildcard in its last component becomes the names it matches;
// with `recursive`, a folder becomes the project files of its tree.
std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive);

} // namespace quenlo::cli
