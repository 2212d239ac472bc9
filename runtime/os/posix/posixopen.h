#pragma once

#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace quenlo::posix {

// Where a file is to be found: `name` inside the folder open as `folder`
// (AT_FDCWD: the working folder). A symbolic link as the last component is
// followed, or refused when `follow` is false. `guarded`: the file was named
// by others than the user running us (a tree walked, a name given over
// someone's folder), so a link is followed only under the owner rule (see
// checkfollowed) and, where `folder` is a folder walked, a file with more
// than one hard link is opened only where its user owns that folder or is
// the user running us.
struct At {
    int folder = AT_FDCWD;
    std::string name;
    bool follow = true;
    bool guarded = false;
};

// The last component of `at` looked at without following it, before it is
// opened; nothing when it cannot be looked at.
std::optional<struct stat> lookatlast(const At &at);

// After `at` was opened (`opened`: what it led to), with `before` from
// lookatlast(): a symbolic link is followed only where its owner is the
// user running us or the owner of what it leads to, as the kernel's
// protected_symlinks rule has it, and only if it is still the link looked
// at. Throws quenlo::Error naming `shown`, its reason after `prefix`.
void checkfollowed(const At &at, const std::optional<struct stat> &before, const struct stat &opened,
                   const std::string &shown, const std::string &prefix);

// The file a path names, held without being opened for reading or writing
// (O_PATH): looking at it wakes no device, blocks on no FIFO and is seen by
// no file watcher. Closed when it goes away.
class LookedAt {
public:
    LookedAt(int fd, const struct stat &status, const struct statfs &filesystem, At at)
        : fd_(fd)
        , status_(status)
        , filesystem_(filesystem)
        , at_(std::move(at))
    {
    }
    LookedAt(LookedAt &&other) noexcept
        : fd_(other.fd_)
        , status_(other.status_)
        , filesystem_(other.filesystem_)
        , at_(std::move(other.at_))
    {
        other.fd_ = -1;
    }
    ~LookedAt();
    LookedAt(const LookedAt &) = delete;
    LookedAt &operator=(const LookedAt &) = delete;
    LookedAt &operator=(LookedAt &&) = delete;

    const struct stat &status() const { return status_; }
    const struct statfs &filesystem() const { return filesystem_; }

    // Opens the very file looked at for data with `flags` (O_RDONLY or
    // O_RDWR; never creating, never blocking, no controlling terminal).
    // Returns the descriptor, or -1 with errno set. Throws quenlo::Error
    // naming `shown` if the file was swapped for another meanwhile.
    int open(int flags, const std::string &shown) const;

private:
    int fd_;
    struct stat status_;
    struct statfs filesystem_;
    At at_;
};

// Looks at the file `at` names, and refuses (throws quenlo::Error naming
// `shown`) anything but a regular file on a file system that holds files on
// disk: folders, FIFOs, sockets and devices, a symbolic link not to be
// followed, and the kernel's own files (proc, sysfs and the like: "not a
// project file on disk").
LookedAt lookat(const At &at, const std::string &shown);

// Whether a regular file of `filesystem` reads and writes otherwise through
// a non-blocking descriptor. Not on the local disk file systems named in
// posixopen.cpp; elsewhere (FUSE, network file systems) the flag is passed
// on to whoever serves the file and may be honoured.
bool nonblockingmatters(const struct statfs &filesystem);

// Opens the very file that `fd` has open once more, with `flags` (through
// /proc/self/fd). Returns the descriptor, or -1 with errno set.
int reopen(int fd, int flags);

} // namespace quenlo::posix
