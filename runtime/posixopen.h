#pragma once

#include <string>
#include <sys/stat.h>

namespace quenlo::posix {

// The file a path names, held without being opened for reading or writing
// (O_PATH): looking at it wakes no device, blocks on no FIFO and is seen by
// no file watcher. Closed when it goes away.
class LookedAt {
public:
    LookedAt(int fd, const struct stat &status)
        : fd_(fd)
        , status_(status)
    {
    }
    LookedAt(LookedAt &&other) noexcept
        : fd_(other.fd_)
        , status_(other.status_)
    {
        other.fd_ = -1;
    }
    ~LookedAt();
    LookedAt(const LookedAt &) = delete;
    LookedAt &operator=(const LookedAt &) = delete;
    LookedAt &operator=(LookedAt &&) = delete;

    const struct stat &status() const { return status_; }

    // Opens the very file looked at for data with `flags` (O_RDONLY or
    // O_RDWR; never creating, never blocking, no controlling terminal).
    // Returns the descriptor, or -1 with errno set. Throws quenlo::Error if
    // the path was swapped for another file meanwhile.
    int open(int flags, const std::string &path) const;

private:
    int fd_;
    struct stat status_;
};

// Looks at the file `path` names, following links, and refuses (throws
// quenlo::Error) anything but a regular file on a file system that holds
// files on disk: folders, FIFOs, sockets and devices, and the kernel's own
// files (proc, sysfs and the like: "not a project file on disk").
LookedAt lookat(const std::string &path);

} // namespace quenlo::posix
