// POSIX file services: one descriptor opened O_RDWR, positioned reads and
// writes, fsync before anything is reported as done.
#include "error.h"
#include "file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace quenlo {

namespace {

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

[[noreturn]] void fail(int number, const std::string &path, const std::string &what)
{
    throw Error(number, path, what + ": " + std::strerror(number));
}

[[noreturn]] void refuse(mode_t mode, const std::string &path)
{
    const int number = S_ISDIR(mode) ? EISDIR : EINVAL;
    throw Error(number, path, "cannot open: not a regular file (" + kindof(mode) + ")");
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

private:
    int handle() const
    {
        if (fd_ < 0)
            throw Error(EBADF, path_, "the file is already closed");
        return fd_;
    }

    int fd_;
    std::string path_;
};

} // namespace

std::unique_ptr<File> openforupdate(const std::string &path)
{
    // Look before opening, so that a device or FIFO is never opened at all.
    struct stat before {};
    if (::stat(path.c_str(), &before) < 0)
        fail(errno, path, "cannot open");
    if (!S_ISREG(before.st_mode))
        refuse(before.st_mode, path);

    // No O_CREAT: a missing file is an error, never created. O_NONBLOCK keeps
    // the open from hanging should the path be swapped for a FIFO meanwhile.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(errno, path, "cannot open for reading and writing");
    auto file = std::make_unique<PosixFile>(fd, path);

    struct stat opened {};
    if (::fstat(fd, &opened) < 0)
        fail(errno, path, "cannot open");
    if (!S_ISREG(opened.st_mode))
        refuse(opened.st_mode, path);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
        fail(errno, path, "cannot open");
    return file;
}

} // namespace quenlo
