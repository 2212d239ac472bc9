// flock and OFD locks. A program that locks a file may use either kind, so
// the fix takes both. Our two locks never meet each other: both are owned
// by the same open file description, so where flock is carried out as a
// POSIX byte-range lock (NFS, without local_lock=flock) the server sees one
// owner holding the whole file twice, which is no conflict; where the two
// kinds are kept apart (local file systems) they do not interact at all.
#include "posixlocks.h"

#include "file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>

namespace quenlo::posix {

namespace {

bool heldbyanother(int number) { return number == EWOULDBLOCK || number == EAGAIN || number == EACCES; }

Error lockfailure(int number, const std::string &path)
{
    if (heldbyanother(number))
        return Error(number, path, kLockedByAnother);
    return Error(number, path, std::string("cannot lock the file: ") + std::strerror(number));
}

struct flock wholefile(short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end, however far the file grows
    return lock;
}

int takeflock(int fd, int operation)
{
    int rc;
    do
        rc = ::flock(fd, operation | LOCK_NB);
    while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

int takeofd(int fd, short type)
{
    auto lock = wholefile(type);
    int rc;
    do
        rc = ::fcntl(fd, F_OFD_SETLK, &lock);
    while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

// The file's "MAJ:MIN:INODE" as the kernel's lock lists print it, read
// from our own flock in /proc/self/fdinfo ("lock:\t1: FLOCK  ADVISORY
// READ PID MAJ:MIN:INODE START END"). Empty when it is not shown.
std::string lockedfile(int fd)
{
    std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
    std::string line;
    while (std::getline(info, line)) {
        std::istringstream fields(line);
        std::string label, id, kind, mode, access, pid, where;
        fields >> label >> id >> kind >> mode >> access >> pid >> where;
        if (label == "lock:" && kind == "FLOCK")
            return where;
    }
    return {};
}

// How many flocks the kernel lists on the file; a waiter ("ID: -> FLOCK")
// holds nothing and is not counted.
int flockson(const std::string &where)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    int count = 0;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, pid, file;
        fields >> id >> kind >> mode >> access >> pid >> file;
        count += kind == "FLOCK" && file == where;
    }
    return count;
}

} // namespace

void lockexclusive(int fd, const std::string &path)
{
    if (const int number = takeflock(fd, LOCK_EX))
        throw lockfailure(number, path);
    if (const int number = takeofd(fd, F_WRLCK))
        throw lockfailure(number, path);
}

std::optional<Error> lockshared(int fd, const std::string &path)
{
    if (const int number = takeflock(fd, LOCK_SH))
        return lockfailure(number, path);
    if (const int number = takeofd(fd, F_RDLCK))
        return lockfailure(number, path);
    return std::nullopt;
}

std::optional<Error> lockedbyanother(int fd, const std::string &path)
{
    // Any POSIX or OFD lock, read or write, of another owner would keep our
    // write lock out; the test places nothing.
    auto probe = wholefile(F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &probe) < 0)
        return lockfailure(errno, path);
    if (probe.l_type != F_UNLCK)
        return Error(EWOULDBLOCK, path, kLockedByAnother);
    return std::nullopt;
}

std::optional<Error> flockedbyanother(int fd, const std::string &path)
{
    // flock has no test of its own: next to our shared flock, the kernel's
    // list shows anyone else's on the same file.
    const auto where = lockedfile(fd);
    if (!where.empty() && flockson(where) > 1)
        return Error(EWOULDBLOCK, path, kLockedByAnother);
    return std::nullopt;
}

} // namespace quenlo::posix
