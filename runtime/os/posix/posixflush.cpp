// One flush for many files. syncfs writes out every dirty page of a file
// system and commits its journal, so on the file systems below it makes
// every file written before it as durable as an fsync of each would (once
// the device's cache is emptied too: see posixflush.h). Since Linux 5.8 it
// reports writeback failures, and since 5.17 also the file system's own
// failure to commit or to empty the cache; before that such a failure went
// unseen, so older kernels keep one fsync per file. Elsewhere (NFS, SMB,
// FUSE, tmpfs, ...) a syncfs may do less than an fsync, or nothing at all.
#include "posixflush.h"

#include "file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace quenlo::posix {

namespace {

bool reportsallfailures()
{
    static const bool reports = [] {
        utsname system {};
        unsigned major = 0, minor = 0;
        if (::uname(&system) < 0 || std::sscanf(system.release, "%u.%u", &major, &minor) != 2)
            return false;
        return major > 5 || (major == 5 && minor >= 17);
    }();
    return reports;
}

} // namespace

bool sharedkind(const struct statfs &filesystem)
{
    switch (static_cast<unsigned long>(filesystem.f_type)) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
        return reportsallfailures();
    default:
        return false;
    }
}

std::optional<FileSystemKey> sharedflushfilesystem(const struct stat &status, const struct statfs &filesystem,
                                                   int fd)
{
    if (!sharedkind(filesystem))
        return std::nullopt;
    // A clone of a file system mounted beside it has its identity (ext4
    // builds it from the UUID): the device tells them apart.
    FileSystemKey key{static_cast<std::uint64_t>(status.st_dev), 0};
    static_assert(sizeof key.id == sizeof filesystem.f_fsid);
    std::memcpy(&key.id, &filesystem.f_fsid, sizeof key.id);
    if (filesystem.f_type != EXT4_SUPER_MAGIC)
        return key;
    // ext2 and ext3 share ext4's number. Driven by the ext4 driver, they
    // are flushed as ext4; the old ext2 driver's syncfs leaves the device's
    // cache as it is. Only the ext4 driver of the two knows this request;
    // the answer is the file system's, asked once.
    static std::mutex mutex;
    static std::map<FileSystemKey, bool> ext4driver;
    std::lock_guard lock(mutex);
    auto known = ext4driver.find(key);
    if (known == ext4driver.end()) {
        char label[FSLABEL_MAX];
        known = ext4driver.emplace(key, ::ioctl(fd, FS_IOC_GETFSLABEL, label) == 0).first;
    }
    return known->second ? std::optional(key) : std::nullopt;
}

int syncfilesystem(int fd)
{
    int rc;
    do
        rc = ::syncfs(fd);
    while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

} // namespace quenlo::posix

namespace quenlo {

bool sharedflushlikely(const std::string &path)
{
    struct statfs filesystem {};
    return ::statfs(path.c_str(), &filesystem) == 0 && posix::sharedkind(filesystem);
}

} // namespace quenlo
