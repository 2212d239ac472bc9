// flock and OFD locks. A program that locks a file may use either kind, so
// the fix takes both. Our two locks never meet each other: both are owned
// by the same open file description, so where flock is carried out as a
// POSIX byte-range lock (NFS, without local_lock=flock) the server sees one
// owner holding the whole file twice, which is no conflict; where the two
// kinds are kept apart (local file systems) they do not interact at all.
#include "posixlocks.h"

#include "file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

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
    // A lock held by another is told by either number.
    return rc < 0 ? (errno == EACCES ? EAGAIN : errno) : 0;
}

// Whether another program holds an OFD or POSIX lock that keeps out our
// write lock: 0, or EWOULDBLOCK.
int probeofd(int fd)
{
    auto probe = wholefile(F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &probe) < 0)
        return errno;
    return probe.l_type != F_UNLCK ? EWOULDBLOCK : 0;
}

// flock has no test of its own, and the kernel's list of locks is no
// snapshot: the exclusive lock is tried, and turned back into a shared one
// at once. 0, or why not.
int probeflock(int fd)
{
    const int number = takeflock(fd, LOCK_EX);
    if (number == 0)
        takeflock(fd, LOCK_SH);
    return number;
}

} // namespace

int whilelocked(const std::function<int()> &attempt)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kLockWait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        const int number = attempt();
        if ((number != EWOULDBLOCK && number != EAGAIN) || Clock::now() >= deadline)
            return number;
        // sleep_for goes on after a signal: Ctrl-C is noted meanwhile.
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

void lockexclusive(int fd, const std::string &path)
{
    // One wait for both, so that a program holding the file waits us no
    // longer than one lock would (the window waits on its own thread).
    const int number = whilelocked([&] {
        const int flocked = takeflock(fd, LOCK_EX);
        return flocked != 0 ? flocked : takeofd(fd, F_WRLCK);
    });
    if (number != 0)
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
    // write lock out; the test places nothing. The real run waits a moment
    // for a lock, and so does the test.
    const int number = whilelocked([&] { return probeofd(fd); });
    if (number == 0)
        return std::nullopt;
    return number == EWOULDBLOCK ? Error(number, path, kLockedByAnother) : lockfailure(number, path);
}

std::optional<Error> flockedbyanother(int fd, const std::string &path)
{
    // Where flock needs write access for the test (NFS, where it is a POSIX
    // lock), the test of lockedbyanother() sees such locks instead.
    const int number = whilelocked([&] { return probeflock(fd); });
    if (number == EWOULDBLOCK)
        return Error(number, path, kLockedByAnother);
    return std::nullopt;
}

namespace {

// Whether a line of /proc/locks is a lease (or an NFS server's delegation)
// on the file `device`:`inode`:
//   "3: LEASE  ACTIVE    READ  1234 08:01:1234567 0 EOF"
bool leaseon(std::string_view line, dev_t device, ino_t inode)
{
    const auto kind = line.find(": ");
    if (kind == std::string_view::npos || line.substr(0, kind).find("->") != std::string_view::npos)
        return false;
    const auto rest = line.substr(kind + 2);
    if (!rest.starts_with("LEASE") && !rest.starts_with("DELEG"))
        return false;
    char wanted[64];
    const int length = std::snprintf(wanted, sizeof wanted, " %02x:%02x:%llu ", major(device), minor(device),
                                     static_cast<unsigned long long>(inode));
    return length > 0
           && rest.find(std::string_view(wanted, static_cast<std::size_t>(length))) != std::string_view::npos;
}

// One reading of the kernel's list of locks: whether it names a lease on the
// file, and whether it came in one piece (a snapshot). Read line by line
// through a buffer of one page, as the kernel gives it.
std::pair<bool, bool> readlocks(dev_t device, ino_t inode)
{
    const int fd = ::open("/proc/locks", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {false, true};
    char buffer[4096];
    std::size_t kept = 0; // the start of a line read in part
    int pieces = 0;
    bool found = false;
    for (;;) {
        const ssize_t got = ::read(fd, buffer + kept, sizeof buffer - kept);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        ++pieces;
        std::string_view text(buffer, kept + static_cast<std::size_t>(got));
        for (auto end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
            found = found || leaseon(text.substr(0, end), device, inode);
            text.remove_prefix(end + 1);
        }
        // A line longer than the buffer is no lease line: dropped.
        kept = text.size() < sizeof buffer ? text.size() : 0;
        std::memmove(buffer, text.data(), kept);
    }
    ::close(fd);
    return {found, pieces <= 1};
}

} // namespace

std::optional<Error> leasedbyanother(const struct stat &status, const std::string &path)
{
    // The list is read a page at a time, and a lock that others take or
    // let go meanwhile moves the rest: a list of more than one piece is read
    // again, so that a lease skipped once is seen the next time.
    for (int reading = 0; reading < 3; ++reading) {
        const auto [found, whole] = readlocks(status.st_dev, status.st_ino);
        if (found)
            return Error(EWOULDBLOCK, path, kLockedByAnother);
        if (whole)
            break;
    }
    return std::nullopt;
}

} // namespace quenlo::posix
