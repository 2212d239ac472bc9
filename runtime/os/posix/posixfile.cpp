// POSIX file services: the path is looked at before anything is opened for
// data, then one descriptor is opened (O_RDWR for the fix, O_RDONLY for a
// look), locked, and used for positioned reads and writes; fsync before
// anything is reported as done.
#include "error.h"
#include "file.h"
#include "posixat.h"
#include "posixflush.h"
#include "posixlease.h"
#include "posixlocks.h"
#include "posixopen.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace quenlo {

namespace {

[[noreturn]] void fail(int number, const std::string &path, const std::string &what)
{
    throw Error(number, path, what + ": " + std::strerror(number));
}

// A page whose writing out failed stays in memory marked clean: the file
// reads as fixed until the system restarts, and a run again cannot tell.
[[noreturn]] void cannotflush(int number, const std::string &path)
{
    throw FlushFailure(number, path,
                       std::string("cannot flush to disk: ") + std::strerror(number)
                           + " (the storage reported an error: the file may read as fixed until the system"
                             " restarts; check the storage, then fix the file again after a restart)");
}

// Why opening the file for writing is not permitted when an attribute is
// the reason, asked through `fd` (open for data); else nothing.
std::string attributenote(int fd)
{
    int attributes = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &attributes) < 0)
        return {};
    if (attributes & FS_IMMUTABLE_FL)
        return " (the file's immutable attribute is set)";
    if (attributes & FS_APPEND_FL)
        return " (the file's append-only attribute is set)";
    return {};
}

off_t byteoffset(std::uint64_t position, std::size_t count, const std::string &path)
{
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    if (position < 1 || position - 1 > largest - count)
        throw Error(EINVAL, path, "byte position " + std::to_string(position) + " is out of range");
    return static_cast<off_t>(position - 1);
}

// What was seen of a file before it was opened: which file it is, on which
// file system.
struct Seen {
    struct stat status;
    struct statfs filesystem;
};

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path, const Seen &seen)
        : fd_(fd)
        , path_(std::move(path))
        , seen_(seen)
        , opened_(openedsofar.fetch_add(1, std::memory_order_relaxed))
    {
    }
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;
    ~PosixFile() override
    {
        lease_.reset();
        if (fd_ >= 0)
            ::close(fd_);
    }

    std::size_t read(std::uint64_t position, std::span<char> buffer) override
    {
        auto offset = byteoffset(position, buffer.size(), path_);
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t got = ::pread(handle(), buffer.data() + done, buffer.size() - done, offset);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                fail(errno, path_, "cannot read");
            if (got == 0)
                break;
            done += static_cast<std::size_t>(got);
            offset += got;
        }
        return done;
    }

    void write(std::uint64_t position, std::span<const char> bytes) override
    {
        auto offset = byteoffset(position, bytes.size(), path_);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::pwrite(handle(), bytes.data() + done, bytes.size() - done, offset);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                fail(errno, path_, "cannot write");
            if (put == 0)
                fail(EIO, path_, "cannot write");
            done += static_cast<std::size_t>(put);
            offset += put;
        }
    }

    void flush() override
    {
        check(letgofailure());
        check(flushnow(handle()));
    }

    std::optional<FileSystemKey> sharedflush() const override
    {
        return posix::sharedflushfilesystem(seen_.status, seen_.filesystem, handle());
    }
    void flushfilesystem() override
    {
        check(letgofailure());
        check(posix::syncfilesystem(handle()));
    }
    void checkflushed(int failure) override
    {
        // Since Linux 5.8 a syncfs reports every writeback failure on its
        // file system since its descriptor was opened, so the file system
        // flushed through a file opened no later than this one has told of
        // this one's too. Besides, the flush made when the lease was asked
        // for.
        check(letgofailure());
        check(failure);
    }
    std::uint64_t opened() const override { return opened_; }

    bool holdforwrite() override
    {
        if (!askedlease_) {
            askedlease_ = true;
            lease_ = posix::WriteLease::take(handle());
        }
        return lease_ != nullptr;
    }

    void letgo(bool flushed) override
    {
        if (!lease_)
            return;
        // Asked for by another program before its flush: flushed at once,
        // so that the program waits for this one write only. A lease kept
        // that long was granted before any lock (reopenforupdate()): there
        // are none to give up.
        lease_->done(!flushed, flushnow);
    }

    std::optional<std::uint64_t> size() const override
    {
        // The length as the file has it now.
        const off_t end = ::lseek(handle(), 0, SEEK_END);
        if (end < 0)
            fail(errno, path_, "cannot read");
        return static_cast<std::uint64_t>(end);
    }

    void close() override
    {
        const int fd = handle();
        lease_.reset();
        fd_ = -1;
        // Not retried on EINTR: on Linux the descriptor is gone either way.
        if (::close(fd) < 0)
            fail(errno, path_, "cannot close");
    }

    bool lockforreading() override
    {
        if (!unlocked_)
            return false;
        // As openforreading(): one that cannot be had is told by updateblocked().
        posix::lockshared(handle(), path_);
        unlocked_ = false;
        return true;
    }

    std::optional<Error> updateblocked() const override { return whynotwritable(handle(), seen_, path_); }
    std::unique_ptr<File> reopenforupdate() override;
    int descriptor() const { return handle(); }
    // Opened for a look: the shared lock waits for lockforreading().
    void forlook() { unlocked_ = true; }

private:
    int handle() const
    {
        if (fd_ < 0)
            throw Error(EBADF, path_, "the file is already closed");
        return fd_;
    }

    static std::optional<Error> whynotwritable(int fd, const Seen &seen, const std::string &path);

    static int flushnow(int fd)
    {
        int rc;
        do
            rc = ::fsync(fd);
        while (rc < 0 && errno == EINTR);
        return rc < 0 ? errno : 0;
    }

    // The failure of the flush made when the lease was asked for, if any.
    int letgofailure() const { return lease_ ? lease_->letgoresult().value_or(0) : 0; }

    void check(int number) const
    {
        if (number != 0)
            cannotflush(number, path_);
    }

    static inline std::atomic<std::uint64_t> openedsofar{0};

    int fd_;
    std::string path_;
    Seen seen_;
    std::uint64_t opened_;
    std::unique_ptr<posix::WriteLease> lease_;
    bool unlocked_ = false; // opened for a look: no shared lock yet
    bool askedlease_ = false;
};

// Makes a descriptor opened non-blocking (so that another program's lease
// refuses the open instead of holding it up) blocking again where that
// matters, and hands it to a file. `note` tells why an open was not permitted, when an attribute of
// the file is the reason.
std::unique_ptr<PosixFile> adopt(int fd, const std::string &path, const char *what, const Seen &seen,
                                 const std::function<std::string()> &note = {})
{
    if (fd < 0) {
        const int number = errno;
        if (number == EWOULDBLOCK || number == EAGAIN)
            throw Error(number, path, kLockedByAnother);
        if (number == EPERM && note)
            throw Error(number, path, std::string(what) + ": " + std::strerror(number) + note());
        fail(number, path, what);
    }
    auto file = std::make_unique<PosixFile>(fd, path, seen);
    // Of the flags F_SETFL changes, only O_NONBLOCK was asked for.
    if (posix::nonblockingmatters(seen.filesystem) && ::fcntl(fd, F_SETFL, 0) < 0)
        fail(errno, path, "cannot open");
    return file;
}

constexpr const char *kForUpdate = "cannot open for reading and writing";

// Why opening the file for reading and writing would fail, asked without
// write access, in the order the kernel asks: a read-only mount, the
// immutable attribute, permission for this user, the append-only
// attribute; then other programs' locks.
std::optional<Error> PosixFile::whynotwritable(int fd, const Seen &seen, const std::string &path)
{
    const auto refused = [&](int number) {
        const auto why = std::string(kForUpdate) + ": " + std::strerror(number);
        return Error(number, path, why + (number == EPERM ? attributenote(fd) : ""));
    };
    struct statvfs filesystem {};
    if (::fstatvfs(fd, &filesystem) == 0 && (filesystem.f_flag & ST_RDONLY))
        return refused(EROFS);
    int attributes = 0;
    const bool known = ::ioctl(fd, FS_IOC_GETFLAGS, &attributes) == 0;
    if (known && (attributes & FS_IMMUTABLE_FL))
        return refused(EPERM);
    if (::faccessat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), W_OK, AT_EACCESS) < 0
        && errno != ENOENT)
        return refused(errno);
    if (known && (attributes & FS_APPEND_FL))
        return refused(EPERM);
    if (auto locked = posix::lockedbyanother(fd, path))
        return locked;
    if (auto locked = posix::flockedbyanother(fd, path))
        return locked;
    return posix::leasedbyanother(seen.status, path);
}

std::unique_ptr<File> PosixFile::reopenforupdate()
{
    const int fd = handle();
    auto file = adopt(posix::reopen(fd, O_RDWR), path_, kForUpdate, seen_, [fd] { return attributenote(fd); });
    // Our shared locks, if any, go with this descriptor, before the new one
    // is held: a lease is granted only while no other descriptor is open.
    ::close(std::exchange(fd_, -1));
    // Under a write lease no other program has the file open, and one that
    // opens it waits until the lease is let go, locks and all: no lock of
    // another can be had meanwhile, so none need be taken.
    if (!file->holdforwrite())
        posix::lockexclusive(file->descriptor(), path_);
    return file;
}

} // namespace

namespace posix {

std::unique_ptr<File> openforupdate(const At &at, const std::string &shown)
{
    const auto looked = lookat(at, shown);
    const auto note = [&]() -> std::string {
        const int fd = looked.open(O_RDONLY, shown);
        if (fd < 0)
            return {};
        auto why = attributenote(fd);
        ::close(fd);
        return why;
    };
    auto file = adopt(looked.open(O_RDWR, shown), shown, kForUpdate, {looked.status(), looked.filesystem()}, note);
    lockexclusive(file->descriptor(), shown);
    return file;
}

std::unique_ptr<File> openforlook(const At &at, const std::string &shown)
{
    const auto looked = lookat(at, shown);
    auto file = adopt(looked.open(O_RDONLY, shown), shown, "cannot open for reading",
                      {looked.status(), looked.filesystem()});
    file->forlook();
    return file;
}

std::unique_ptr<File> openforreading(const At &at, const std::string &shown)
{
    auto file = openforlook(at, shown);
    file->lockforreading();
    return file;
}

} // namespace posix

std::unique_ptr<File> openforupdate(const std::string &path)
{
    return posix::openforupdate({AT_FDCWD, path}, path);
}

std::unique_ptr<File> openforreading(const std::string &path)
{
    return posix::openforreading({AT_FDCWD, path}, path);
}

std::unique_ptr<File> openforlook(const std::string &path)
{
    return posix::openforlook({AT_FDCWD, path}, path);
}

} // namespace quenlo
