// Looking at a path before opening it for data, and opening exactly the file
// that was looked at.
#include "posixopen.h"

#include "error.h"
#include "posixlocks.h"

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
    if (S_ISLNK(mode))
        return "a symbolic link";
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

int openretrying(int folder, const char *name, int flags)
{
    int fd;
    do
        fd = ::openat(folder, name, flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens for data, waiting a moment while another program's lease keeps
// the file: the holder may let it go at once (quenlo-fix does).
int opendata(int folder, const char *name, int flags)
{
    int fd = -1;
    const int number = whilelocked([&] {
        fd = openretrying(folder, name, flags);
        return fd < 0 ? errno : 0;
    });
    errno = number;
    return fd;
}

// Opens the file that `fd` holds once more with `flags`: through
// /proc/self/fd the very inode is opened, whatever its name leads to by
// now. Without /proc, `at` is opened again and must be the file that
// `expected` describes.
int openagain(int fd, const At &at, int flags, const struct stat &expected, const std::string &shown)
{
    const int again = opendata(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), flags);
    if (again >= 0 || errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
        return again;
    const int byname = opendata(at.folder, at.name.c_str(), flags | (at.follow ? 0 : O_NOFOLLOW));
    if (byname < 0)
        return -1;
    struct stat opened {};
    if (::fstat(byname, &opened) < 0) {
        const int number = errno;
        ::close(byname);
        fail(number, shown, "cannot open");
    }
    if (opened.st_dev != expected.st_dev || opened.st_ino != expected.st_ino) {
        ::close(byname);
        throw Error(ESTALE, shown, "cannot open: the file was replaced while it was being opened");
    }
    return byname;
}

} // namespace

LookedAt::~LookedAt()
{
    // Holds no data and no lock: nothing to report if the close fails.
    if (fd_ >= 0)
        ::close(fd_);
}

int LookedAt::open(int flags, const std::string &shown) const
{
    return openagain(fd_, at_, flags, status_, shown);
}

LookedAt lookat(const At &at, const std::string &shown)
{
    const int fd = openretrying(at.folder, at.name.c_str(), O_PATH | (at.follow ? 0 : O_NOFOLLOW));
    if (fd < 0)
        fail(errno, shown, "cannot open");
    struct stat status {};
    struct statfs filesystem {};
    if (::fstat(fd, &status) < 0 || ::fstatfs(fd, &filesystem) < 0) {
        const int number = errno;
        ::close(fd);
        fail(number, shown, "cannot open");
    }
    LookedAt looked(fd, status, filesystem, at);
    if (!S_ISREG(status.st_mode))
        throw Error(S_ISDIR(status.st_mode) ? EISDIR : EINVAL, shown,
                    "cannot open: not a regular file (" + kindof(status.st_mode) + ")");
    if (const char *kernel = kernelfilesystem(filesystem.f_type))
        throw Error(EINVAL, shown,
                    std::string("cannot open: not a project file on disk (a file of the kernel's ") + kernel
                        + " file system)");
    return looked;
}

int reopen(int fd, int flags)
{
    // Without /proc there is no name to fall back on: the open fails.
    return opendata(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), flags);
}

} // namespace quenlo::posix
