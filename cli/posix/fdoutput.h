#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace quenlo::cli {

// Buffered output onto a file descriptor (standard output or error) that
// never waits for good on a write that cannot go through: a pipe nobody
// reads, a stopped terminal. It waits for room in turns of a tenth of a
// second, and once an interrupt has come (see interrupt.h) for at most one
// more second, after which the stream fails, so that Ctrl-C always ends
// the run. A failed write fails the stream, and error() tells why
// (writefailure(), writefailure.h, in words).
class FdBuffer final : public std::streambuf {
public:
    explicit FdBuffer(int fd);
    ~FdBuffer() override;
    int error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char *text, std::streamsize count) override;
    int sync() override;

private:
    bool writeall(const char *data, std::size_t size);
    bool waitforroom();

    int fd_;
    bool mayblock_; // not a regular file: a write may wait for a reader
    int error_ = 0;
    std::string pending_;
};

class FdOutput final : public std::ostream {
public:
    explicit FdOutput(int fd)
        : std::ostream(nullptr)
        , buffer_(fd)
    {
        rdbuf(&buffer_);
    }
    ~FdOutput() override { flush(); }
    int error() const { return buffer_.error(); }

private:
    FdBuffer buffer_;
};

} // namespace quenlo::cli
