#pragma once

#include <cstdint>
#include <optional>
#include <sys/statfs.h>

namespace quenlo::posix {

// Flushes shared by the files of one file system (see File::sharedflush()).
// Each returns 0 or an error number.

// Whether a file system of this kind (ext4, XFS, btrfs), on this kernel,
// takes the shared flush.
bool sharedkind(const struct statfs &filesystem);

// The file system `filesystem` describes, of the file open as `fd`, when
// one syncfs makes its files as durable as an fsync of each, and reports
// every failure: its identity (f_fsid); nothing otherwise.
std::optional<std::uint64_t> sharedflushfilesystem(const struct statfs &filesystem, int fd);

// syncfs: writes out and commits everything on the file system of `fd`.
// XFS empties the device's cache only when its log has something to
// write: an fsync after it (of a file written before) makes sure.
int syncfilesystem(int fd);

// Waits for the file's pages under writeback and tells whether writing any
// of them failed since `fd` was opened (or since last asked).
int writebackfailure(int fd);

} // namespace quenlo::posix
