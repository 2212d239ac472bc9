// POSIX file services: the path is looked at before anything is opened for
// data, then one descriptor is opened (O_RDWR for the fix, O_RDONLY for a
// look), locked, and used for positioned reads and writes; fsync before
// anything is reported as done.
#include "error.h"
#include "file.h"
#include "posixlocks.h"
#include "posixopen.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quenlo {

namespace {

[[noreturn]] void fail(int number, const std::string &path, const std::string &what)
{
    throw Error(number, path, what + ": " + std::strerror(number));
}

off_t byteoffset(std::uint64_t position, std::size_t count, const std::string &path)
{
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    if (position < 1 || position - 1 > largest - count)
        throw Error(EINVAL, path, "byte position " + std::to_string(position) + " is out of range");
    return static_cast<off_t>(position - 1);
}

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path)
        : fd_(fd)
        , path_(std::move(path))
    {
    }
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;
    ~PosixFile() override
    {
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
        int rc;
        do
            rc = ::fsync(handle());
        while (rc < 0 && errno == EINTR);
        if (rc < 0)
            fail(errno, path_, "cannot flush to disk");
    }

    void close() override
    {
        const int fd = handle();
        fd_ = -1;
        // Not retried on EINTR: on Linux the descriptor is gone either way.
        if (::close(fd) < 0)
            fail(errno, path_, "cannot close");
    }

    std::optional<Error> updateblocked() const override { return blocked_; }
    int descriptor() const { return handle(); }
    void setupdateblocked(std::optional<Error> reason) { blocked_ = std::move(reason); }

private:
    int handle() const
    {
        if (fd_ < 0)
            throw Error(EBADF, path_, "the file is already closed");
        return fd_;
    }

    int fd_;
    std::string path_;
    std::optional<Error> blocked_;
};

// Opens the file looked at for data and makes the descriptor blocking again
// (it was opened non-blocking so that another program's lease refuses the
// open at once instead of holding it up).
std::unique_ptr<PosixFile> opendata(const posix::LookedAt &looked, int flags, const std::string &path,
                                    const char *what)
{
    const int fd = looked.open(flags, path);
    if (fd < 0) {
        const int number = errno;
        if (number == EWOULDBLOCK || number == EAGAIN)
            throw Error(number, path, kLockedByAnother);
        fail(number, path, what);
    }
    auto file = std::make_unique<PosixFile>(fd, path);
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0)
        fail(errno, path, "cannot open");
    return file;
}

// Why opening the file for reading and writing would fail, asked without
// write access: permission for this user, a read-only mount, other
// programs' locks.
std::optional<Error> whynotwritable(int fd, const std::string &path)
{
    const std::string what = "cannot open for reading and writing: ";
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) < 0)
        return Error(errno, path, what + std::strerror(errno));
    struct statvfs filesystem {};
    if (::fstatvfs(fd, &filesystem) == 0 && (filesystem.f_flag & ST_RDONLY))
        return Error(EROFS, path, what + std::strerror(EROFS));
    return posix::lockedbyanother(fd, path);
}

} // namespace

std::unique_ptr<File> openforupdate(const std::string &path)
{
    const auto looked = posix::lookat(path);
    auto file = opendata(looked, O_RDWR, path, "cannot open for reading and writing");
    posix::lockexclusive(file->descriptor(), path);
    return file;
}

std::unique_ptr<File> openforreading(const std::string &path)
{
    const auto looked = posix::lookat(path);
    auto file = opendata(looked, O_RDONLY, path, "cannot open for reading");
    auto blocked = whynotwritable(file->descriptor(), path);
    auto shared = posix::lockshared(file->descriptor(), path);
    if (!blocked)
        blocked = shared ? std::move(shared) : posix::flockedbyanother(file->descriptor(), path);
    file->setupdateblocked(std::move(blocked));
    return file;
}

} // namespace quenlo
