#pragma once

#include "error.h"
#include "fileidentity.h"
#include "folderwalk.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quenlo::cli {

// One name to work on, in the order of the output.
struct Operand {
    // The folder the walk met it in (nothing: a name from the command line),
    // and its name there, or the argument.
    std::shared_ptr<const Folder> folder;
    std::string name;
    // For a name from the command line given with -r, its file as looked
    // at when the names were gathered (nothing: none could be looked at);
    // other names, and the walk's files inside their folder, are looked at
    // when their turn comes, and noted here then by the worker.
    mutable std::optional<FileIdentity> identity;
    // Known to fail before any work (a folder that cannot be read, a pattern
    // that matches nothing); nothing otherwise.
    std::unique_ptr<Error> problem;
    bool link = false; // a symbolic link where the walk met it
    // A notice, not a file: `problem` says it on standard error, and it is
    // no failure (a folder walked that holds no project file).
    bool notice = false;
    // A name from the command line with no walk asked for: looked at by the
    // worker when its turn comes (lookatnamed()), not while the names are
    // gathered, so that the first files are fixed while others wait.
    bool looklater = false;

    // As printed: the argument, or the folder's path and the name; built
    // only when asked, so that names of deep trees take no more memory than
    // their folders.
    std::string path() const { return folder ? joinpath(folder->path(), name) : name; }
};

// The names to work on, from the file arguments in their order: on Windows a
// name with a wildcard in its last component becomes the names it matches;
// with `recursive`, a folder becomes the project files of its tree, met
// through `folders` (links in it followed with `dereference`; with
// `onefilesystem`, never into another file system), or a notice when there
// are none. Once `stopped` says so, no more folders are read.
std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive, bool dereference,
                                    Folders &folders, const std::function<bool()> &stopped = [] { return false; },
                                    bool onefilesystem = false);

// The same from names read one at a time (nothing: no more), taken as they
// stand (no wildcards); a name that `next` throws quenlo::Error for becomes
// a failing operand, and the names after it are still read.
using NextName = std::function<std::optional<std::string>()>;
std::vector<Operand> gatheroperands(const NextName &next, bool recursive, bool dereference, Folders &folders,
                                    const std::function<bool()> &stopped, bool onefilesystem);

// For an operand to be looked at later: notes its file's identity, or
// throws quenlo::Error for a folder (saying how to walk it).
void lookatnamed(const Operand &operand);

} // namespace quenlo::cli
