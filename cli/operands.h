#pragma once

#include "error.h"
#include "fileidentity.h"
#include "folderwalk.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quenlo::cli {

// One name to work on, in the order of the output.
struct Operand {
    std::string path; // as printed: the argument, or the path the walk made
    // The folder the walk met it in, its name there starting at path[nameat],
    // and whether it was a symbolic link there; no folder: a name from the
    // command line.
    std::shared_ptr<const Folder> folder;
    std::uint32_t nameat = 0;
    bool link = false;
    // For a name from the command line, its file as looked at when the
    // names were gathered (nothing: none could be looked at); the walk's
    // files are looked at inside their folder when their turn comes.
    std::optional<FileIdentity> identity;
    // Known to fail before any work (a folder that cannot be read, a pattern
    // that matches nothing); nothing otherwise.
    std::unique_ptr<Error> problem;

    std::string name() const { return path.substr(nameat); }
};

// The names to work on, from the file arguments in their order: on Windows a
// name with a wildcard in its last component becomes the names it matches;
// with `recursive`, a folder becomes the project files of its tree, met
// through `folders` (with `onefilesystem`, never into another file system).
// Once `stopped` says so, no more folders are read.
std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive, Folders &folders,
                                    const std::function<bool()> &stopped = [] { return false; },
                                    bool onefilesystem = false);

// The same from names read one at a time (nothing: no more), taken as they
// stand (no wildcards); a name that `next` throws quenlo::Error for becomes
// a failing operand, and the names after it are still read.
using NextName = std::function<std::optional<std::string>()>;
std::vector<Operand> gatheroperands(const NextName &next, bool recursive, Folders &folders,
                                    const std::function<bool()> &stopped, bool onefilesystem);

} // namespace quenlo::cli
