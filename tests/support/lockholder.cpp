#include "lockholder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quenlo::test {

namespace {

// Takes the lock on a fresh descriptor of the file; returns "locked" or why not.
std::string takelock(const std::string &path, LockHolder::Kind kind)
{
    using Kind = LockHolder::Kind;
    const bool reading = kind == Kind::FlockShared || kind == Kind::OfdRead;
    const int fd = ::open(path.c_str(), (reading ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        return std::string("open: ") + std::strerror(errno);
    int rc = 0;
    if (kind == Kind::FlockExclusive || kind == Kind::FlockShared) {
        rc = ::flock(fd, (kind == Kind::FlockShared ? LOCK_SH : LOCK_EX) | LOCK_NB);
    } else {
        struct flock lock {};
        lock.l_type = kind == Kind::OfdRead ? F_RDLCK : F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = kind == Kind::PosixWrite ? 10 : 0;
        rc = ::fcntl(fd, kind == Kind::PosixWrite ? F_SETLK : F_OFD_SETLK, &lock);
    }
    return rc == 0 ? "locked" : std::string("lock: ") + std::strerror(errno);
}

std::string readall(int fd)
{
    std::string text;
    char chunk[128];
    for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(got));
    return text;
}

} // namespace

LockHolder::LockHolder(const std::string &path, Kind kind)
{
    int ready[2], release[2];
    if (::pipe(ready) < 0 || ::pipe(release) < 0) {
        state_ = "pipe failed";
        return;
    }
    child_ = ::fork();
    if (child_ == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const auto state = takelock(path, kind);
        const bool told = ::write(ready[1], state.data(), state.size()) == static_cast<ssize_t>(state.size());
        ::close(ready[1]);
        char ignored;
        while (::read(release[0], &ignored, 1) > 0) {
        }
        ::_exit(told ? 0 : 1);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    state_ = child_ < 0 ? "fork failed" : readall(ready[0]);
    ::close(ready[0]);
}

LockHolder::~LockHolder()
{
    if (release_ >= 0)
        ::close(release_);
    if (child_ > 0) {
        int status = 0;
        ::waitpid(child_, &status, 0);
    }
}

bool couldlock(const std::string &path, LockHolder::Kind kind)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(takelock(path, kind) == "locked" ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace quenlo::test
