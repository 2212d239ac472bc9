// Looking at a path before opening it for data, and opening exactly the file
// that was looked at.
#include "posixopen.h"

#include "error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace quenlo::posix {

namespace {

[[noreturn]] void fail(int number, const std::string &path, const std::string &what)
{
    throw Error(number, path, what + ": " + std::strerror(number));
}

std::string kindof(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a plain file";
}

// The kernel's file systems whose "files" are settings and state of the
// running system, not data on a disk. Writing one acts on the system.
const char *kernelfilesystem(decltype(statfs::f_type) type)
{
    switch (static_cast<unsigned long>(type)) {
    case PROC_SUPER_MAGIC: return "proc";
    case SYSFS_MAGIC: return "sysfs";
    case DEBUGFS_MAGIC: return "debugfs";
    case TRACEFS_MAGIC: return "tracefs";
    case SECURITYFS_MAGIC: return "securityfs";
    case 0x62656570: return "configfs"; // CONFIGFS_MAGIC, not in every linux/magic.h
    case CGROUP_SUPER_MAGIC: return "cgroup";
    case CGROUP2_SUPER_MAGIC: return "cgroup2";
    case EFIVARFS_MAGIC: return "efivarfs";
    case BPF_FS_MAGIC: return "bpf";
    case PSTOREFS_MAGIC: return "pstore";
    case SELINUX_MAGIC: return "selinuxfs";
    case BINFMTFS_MAGIC: return "binfmt_misc";
    default: return nullptr;
    }
}

int openretrying(const char *name, int flags)
{
    int fd;
    do
        fd = ::open(name, flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

LookedAt::~LookedAt()
{
    // Holds no data and no lock: nothing to report if the close fails.
    if (fd_ >= 0)
        ::close(fd_);
}

int LookedAt::open(int flags, const std::string &path) const
{
    // Through /proc/self/fd the very inode looked at is opened, whatever
    // the path names by now. Without /proc, the path is opened again and
    // checked to be the same file.
    int fd = openretrying(("/proc/self/fd/" + std::to_string(fd_)).c_str(), flags);
    if (fd < 0 && errno == ENOENT && ::access("/proc/self/fd", F_OK) < 0)
        fd = openretrying(path.c_str(), flags);
    if (fd < 0)
        return -1;
    struct stat opened {};
    if (::fstat(fd, &opened) < 0) {
        const int number = errno;
        ::close(fd);
        fail(number, path, "cannot open");
    }
    if (opened.st_dev != status_.st_dev || opened.st_ino != status_.st_ino) {
        ::close(fd);
        throw Error(ESTALE, path, "cannot open: the file was replaced while it was being opened");
    }
    return fd;
}

LookedAt lookat(const std::string &path)
{
    const int fd = openretrying(path.c_str(), O_PATH);
    if (fd < 0)
        fail(errno, path, "cannot open");
    struct stat status {};
    if (::fstat(fd, &status) < 0) {
        const int number = errno;
        ::close(fd);
        fail(number, path, "cannot open");
    }
    LookedAt looked(fd, status);
    if (!S_ISREG(status.st_mode))
        throw Error(S_ISDIR(status.st_mode) ? EISDIR : EINVAL, path,
                    "cannot open: not a regular file (" + kindof(status.st_mode) + ")");
    struct statfs filesystem {};
    if (::fstatfs(fd, &filesystem) < 0)
        fail(errno, path, "cannot open");
    if (const char *kernel = kernelfilesystem(filesystem.f_type))
        throw Error(EINVAL, path,
                    std::string("cannot open: not a project file on disk (a file of the kernel's ") + kernel
                        + " file system)");
    return looked;
}

} // namespace quenlo::posix
