// Looking at a path before opening it for data, and opening exactly the file
// that was looked at.
#include "posixopen.h"

#include "error.h"
#include "posixlocks.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <unordered_map>

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

// statx's identity of a mount that no later mount is given (Linux 6.8;
// older headers lack its name).
constexpr unsigned kMountForGood = 0x4000U;

// fstat's answer from statx's.
struct stat asstat(const struct statx &seen)
{
    struct stat status {};
    status.st_dev = makedev(seen.stx_dev_major, seen.stx_dev_minor);
    status.st_ino = seen.stx_ino;
    status.st_mode = seen.stx_mode;
    status.st_nlink = seen.stx_nlink;
    status.st_uid = seen.stx_uid;
    status.st_gid = seen.stx_gid;
    status.st_rdev = makedev(seen.stx_rdev_major, seen.stx_rdev_minor);
    status.st_size = static_cast<off_t>(seen.stx_size);
    status.st_blksize = static_cast<blksize_t>(seen.stx_blksize);
    status.st_blocks = static_cast<blkcnt_t>(seen.stx_blocks);
    status.st_atim = {seen.stx_atime.tv_sec, seen.stx_atime.tv_nsec};
    status.st_mtim = {seen.stx_mtime.tv_sec, seen.stx_mtime.tv_nsec};
    status.st_ctim = {seen.stx_ctime.tv_sec, seen.stx_ctime.tv_nsec};
    return status;
}

// What fstat tells of the file `fd` holds, and statfs of its file system.
// A mount keeps its file system for good, so where the kernel names each
// mount once and for all the file system is asked about once a mount, not
// once a file. False, with errno set, when either cannot be told.
bool describe(int fd, struct stat &status, struct statfs &filesystem)
{
    struct statx seen {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | kMountForGood, &seen) < 0)
        return false;
    status = asstat(seen);
    if (!(seen.stx_mask & kMountForGood))
        return ::fstatfs(fd, &filesystem) == 0;
    static std::mutex mutex;
    static std::unordered_map<std::uint64_t, struct statfs> mounts;
    {
        std::lock_guard lock(mutex);
        if (const auto known = mounts.find(seen.stx_mnt_id); known != mounts.end()) {
            filesystem = known->second;
            return true;
        }
    }
    if (::fstatfs(fd, &filesystem) < 0)
        return false;
    std::lock_guard lock(mutex);
    mounts.emplace(seen.stx_mnt_id, filesystem);
    return true;
}

// A file met in a walk with other hard links may be someone else's file
// linked in by the folder's owner: it is left alone unless the user
// running us owns it, or its owner owns the folder.
void checkhardlinks(const At &at, const struct stat &status, const std::string &shown)
{
    if (status.st_nlink < 2 || status.st_uid == ::geteuid() || at.folder == AT_FDCWD)
        return;
    struct stat folder {};
    if (::fstat(at.folder, &folder) < 0)
        fail(errno, shown, "cannot open");
    if (folder.st_uid != status.st_uid)
        throw Error(EPERM, shown,
                    "cannot open: not fixed: it has other hard links and its owner does not own the directory");
}

// Opens `name` in `folder` with O_PATH and `flags` and tells what it holds;
// throws naming `shown` when either fails.
int openpath(const At &at, int flags, struct stat &status, struct statfs &filesystem, const std::string &shown)
{
    const int fd = openretrying(at.folder, at.name.c_str(), O_PATH | flags);
    if (fd < 0)
        fail(errno, shown, "cannot open");
    if (!describe(fd, status, filesystem)) {
        const int number = errno;
        ::close(fd);
        fail(number, shown, "cannot open");
    }
    return fd;
}

// What lookat() refuses once it holds the file.
LookedAt checked(LookedAt looked, const At &at, const std::string &shown)
{
    const auto &status = looked.status();
    const auto &filesystem = looked.filesystem();
    if (!S_ISREG(status.st_mode))
        throw Error(S_ISDIR(status.st_mode) ? EISDIR : EINVAL, shown,
                    "cannot open: not a regular file (" + kindof(status.st_mode) + ")");
    if (const char *kernel = kernelfilesystem(filesystem.f_type))
        throw Error(EINVAL, shown,
                    std::string("cannot open: not a project file on disk (a file of the kernel's ") + kernel
                        + " file system)");
    if (at.guarded)
        checkhardlinks(at, status, shown);
    return looked;
}

} // namespace

std::optional<struct stat> lookatlast(const At &at)
{
    // "dir/" names the folder a link "dir" leads to: the link itself is
    // looked at without the slashes.
    auto name = at.name;
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    struct stat status {};
    if (::fstatat(at.folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return std::nullopt;
    return status;
}

void checkfollowed(const At &at, const std::optional<struct stat> &before, const struct stat &opened,
                   const std::string &shown, const std::string &prefix)
{
    const auto after = lookatlast(at);
    const bool link = (before && S_ISLNK(before->st_mode)) || (after && S_ISLNK(after->st_mode));
    if (!link)
        return;
    if (!before || !after || before->st_dev != after->st_dev || before->st_ino != after->st_ino)
        throw Error(ESTALE, shown, prefix + "the symbolic link was replaced while it was being followed");
    if (before->st_uid != ::geteuid() && before->st_uid != opened.st_uid)
        throw Error(EACCES, shown,
                    prefix + "symbolic link not followed: its owner is neither you nor the owner of what it points to");
}

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

bool nonblockingmatters(const struct statfs &filesystem)
{
    // O_NONBLOCK has no effect on their regular files (open(2)); the old
    // mandatory locks that made it matter are gone since Linux 5.15, and
    // were never on by default.
    switch (static_cast<unsigned long>(filesystem.f_type)) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        return false;
    default:
        return true;
    }
}

LookedAt lookat(const At &at, const std::string &shown)
{
    struct stat status {};
    struct statfs filesystem {};
    const bool guardlink = at.follow && at.guarded;
    // Most names lead to no link: held without following, such a name needs
    // no look before and after. "dir/" follows a link "dir" whatever the
    // flags say, so it is looked at the long way.
    const bool slashed = !at.name.empty() && at.name.back() == '/';
    std::optional<struct stat> before;
    if (guardlink && !slashed) {
        const int fd = openpath(at, O_NOFOLLOW, status, filesystem, shown);
        if (!S_ISLNK(status.st_mode))
            return checked(LookedAt(fd, status, filesystem, at), at, shown);
        before = status;
        ::close(fd);
    } else if (guardlink) {
        before = lookatlast(at);
    }
    LookedAt looked(openpath(at, at.follow ? 0 : O_NOFOLLOW, status, filesystem, shown), status, filesystem, at);
    if (guardlink)
        checkfollowed(at, before, status, shown, "cannot open: ");
    return checked(std::move(looked), at, shown);
}

int reopen(int fd, int flags)
{
    // Without /proc there is no name to fall back on: the open fails.
    return opendata(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), flags);
}

} // namespace quenlo::posix
