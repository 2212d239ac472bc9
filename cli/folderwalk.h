#pragma once

#include "error.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlo::cli {

// One entry of a folder, as the folder itself tells it.
struct FolderEntry {
    enum Kind {
        Folder, // a folder of its own (walked)
        Link,   // a symbolic link or other reparse point (a folder behind it is not walked)
        Other,  // a file of any kind
    };
    std::string name; // the file system's bytes on POSIX, UTF-8 on Windows
    Kind kind = Other;
};

// The entries of the folder at `path`, without "." and "..", in no
// particular order. Throws quenlo::Error naming the folder and the reason
// when it cannot be read.
std::vector<FolderEntry> listfolder(const std::string &path);

// Whether `path` names a folder, following symbolic links.
bool isfolder(const std::string &path);

// `name` inside `folder`, with the platform's separator.
std::string joinpath(const std::string &folder, const std::string &name);

// Whether `name` ends in ".PRJ", in any letter case.
bool isprojectname(std::string_view name);

// Walks the tree under `folder`, depth first, each folder's entries in the
// order of the bytes of their names, files and folders together. Calls
// `file` for every entry named like a project file that is not a folder
// (symbolic links to files included, links to folders left out), and
// `unreadable` for every folder that cannot be read, and goes on. Symbolic
// links to folders are never followed, so the walk always ends.
void walkfolder(const std::string &folder, const std::function<void(std::string)> &file,
                const std::function<void(const Error &)> &unreadable);

} // namespace quenlo::cli
