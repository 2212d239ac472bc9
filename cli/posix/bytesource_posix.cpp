// The list of names of --files0-from, read with read(2).
#include "error.h"
#include "namelist.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quenlo::cli {

namespace {

class FdBytes final : public ByteSource {
public:
    explicit FdBytes(int fd, bool owned)
        : fd_(fd)
        , owned_(owned)
    {
    }
    ~FdBytes() override
    {
        if (owned_)
            ::close(fd_);
    }
    FdBytes(const FdBytes &) = delete;
    FdBytes &operator=(const FdBytes &) = delete;

    std::size_t read(char *buffer, std::size_t size) override
    {
        ssize_t got;
        do
            got = ::read(fd_, buffer, size);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            throw Error(errno, {}, std::strerror(errno));
        return static_cast<std::size_t>(got);
    }

private:
    int fd_;
    bool owned_;
};

} // namespace

std::unique_ptr<ByteSource> openbytes(const std::string &name)
{
    if (name == "-")
        return std::make_unique<FdBytes>(0, false);
    int fd;
    do
        fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw Error(errno, name, std::string("cannot open the list of names: ") + std::strerror(errno));
    return std::make_unique<FdBytes>(fd, true);
}

} // namespace quenlo::cli
