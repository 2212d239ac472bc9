#include "fdoutput.h"

#include "interrupt.h"
#include "writefailure.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quenlo::cli {

namespace {

constexpr std::size_t kBuffered = 64 * 1024;
// A write of at most this after poll() said there is room does not wait,
// on a pipe (PIPE_BUF) or a terminal.
constexpr std::size_t kChunk = 512;
constexpr int kPollMilliseconds = 100;
constexpr auto kGraceAfterInterrupt = std::chrono::seconds(1);

} // namespace

FdBuffer::FdBuffer(int fd)
    : fd_(fd)
{
    // Pipes, sockets and terminals may keep a writer waiting; files and
    // devices such as /dev/null never do.
    struct stat status {};
    mayblock_ = ::fstat(fd, &status) < 0 || S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || ::isatty(fd);
}

FdBuffer::~FdBuffer()
{
    sync();
}

FdBuffer::int_type FdBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    if (pending_.size() >= kBuffered && sync() < 0)
        return traits_type::eof();
    return c;
}

std::streamsize FdBuffer::xsputn(const char *text, std::streamsize count)
{
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.size() >= kBuffered && sync() < 0)
        return 0;
    return count;
}

int FdBuffer::sync()
{
    if (pending_.empty())
        return error_ ? -1 : 0;
    const bool written = error_ == 0 && writeall(pending_.data(), pending_.size());
    pending_.clear();
    return written ? 0 : -1;
}

bool FdBuffer::waitforroom()
{
    if (!mayblock_)
        return true;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    for (;;) {
        pollfd ready{fd_, POLLOUT, 0};
        const int count = ::poll(&ready, 1, kPollMilliseconds);
        // Room, or an error or hang-up that the write itself will tell.
        if (count > 0 || (count < 0 && errno != EINTR))
            return true;
        if (!interrupted())
            continue;
        const auto now = std::chrono::steady_clock::now();
        if (!deadline)
            deadline = now + kGraceAfterInterrupt;
        else if (now >= *deadline) {
            error_ = EAGAIN;
            return false;
        }
    }
}

bool FdBuffer::writeall(const char *data, std::size_t size)
{
    while (size > 0) {
        if (!waitforroom())
            return false;
        const ssize_t put = ::write(fd_, data, mayblock_ ? std::min(size, kChunk) : size);
        if (put < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (put <= 0) {
            error_ = put < 0 ? errno : EIO;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

std::string writefailure(const std::ostream &stream)
{
    const auto *buffer = dynamic_cast<const FdBuffer *>(stream.rdbuf());
    if (!buffer || buffer->error() == 0)
        return {};
    if (buffer->error() == EAGAIN)
        return "nothing reads it";
    return std::strerror(buffer->error());
}

} // namespace quenlo::cli
