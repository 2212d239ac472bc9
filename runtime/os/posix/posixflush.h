#pragma once

#include "file.h"

#include <cstdint>
#include <optional>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace quenlo::posix {

// Flushes shared by the files of one file system (see File::sharedflush()).
// Each returns 0 or an error number.

// Whether a file system of this kind (ext4, XFS, btrfs), on this kernel,
// takes the shared flush.
bool sharedkind(const struct statfs &filesystem);

// The file system of the file open as `fd` (which `status` and `filesystem`
// describe), when one syncfs makes its files as durable as an fsync of
// each, and reports every failure: its device (st_dev) and identity
// (f_fsid); nothing otherwise.
std::optional<FileSystemKey> sharedflushfilesystem(const struct stat &status, const struct statfs &filesystem,
                                                   int fd);

// syncfs: writes out and commits everything on the file system of `fd`.
// XFS empties the device's cache only when its log has something to
// write: an fsync after it (of a file written before) makes sure.
int syncfilesystem(int fd);

} // namespace quenlo::posix
