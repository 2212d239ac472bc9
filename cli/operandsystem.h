#pragma once

#include "error.h"
#include "folderwalk.h"
#include "operands.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quenlo::cli {

// What gathering the operands (operands.h) leaves to the system: each
// system's own in cli/posix and cli/windows.

// How the walks of one run go.
struct Walking {
    bool recursive;
    bool dereference; // links met in a walk are followed (under the owner rule)
    Folders &folders;
    const std::function<bool()> &stopped;
    bool onefilesystem; // a walk stays on the file system of the folder named
};

// A name typed on the command line as it is worked on and shown: as typed
// on POSIX; on Windows see asworkedon() (widepath.h).
std::string typedname(const std::string &typed);

// Adds the names `name` stands for when the system expands it itself and
// says so; false when it is to be taken as it stands. On Windows a name
// with a wildcard in its last component becomes the entries it matches,
// each reached as listed; with `recursive` a matching folder, through a
// link too, is walked as one named on the command line. Never on POSIX,
// whose shells expand patterns.
bool addmatches(std::vector<Operand> &operands, const std::string &name, const Walking &how);

// From operands.cpp, for the above: a name known to fail before any work;
// `name` as listed in `folder`; the project files of the tree under `top`,
// or a notice when there are none.
Operand failingoperand(std::string path, const Error &error);
Operand listedoperand(std::shared_ptr<const Folder> folder, std::string name, bool link);
void addwalked(std::vector<Operand> &operands, std::shared_ptr<const Folder> top, const Walking &how);

} // namespace quenlo::cli
