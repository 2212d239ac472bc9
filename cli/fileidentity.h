#pragma once

#include "folderwalk.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace quenlo::cli {

// What makes a file the same file under any of its names: the device and
// inode on POSIX, the volume serial number and file ID on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    auto operator<=>(const FileIdentity &) const = default;
};

// What one look at a name from the command line tells: whether it is a
// folder (following links) and, if not, the identity of its file; nothing
// of either when it names no file that can be looked at (the fix itself
// then reports why).
struct NameLook {
    bool folder = false;
    std::optional<FileIdentity> identity;
};
NameLook lookatname(const std::string &path);

// The same for the file `name` of a folder held, as the walk met it
// (`link`: a symbolic link, followed).
std::optional<FileIdentity> fileidentity(const HeldFolder &folder, const std::string &name, bool link);

} // namespace quenlo::cli
