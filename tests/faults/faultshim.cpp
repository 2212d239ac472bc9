// An LD_PRELOAD library that makes the file calls on project files (names
// ending in ".PRJ") fail or come up short, as a failing disk would.
// QUENLO_FAULT=CALL:MODE chooses the fault:
//   pread:eio        every read fails
//   pwrite:enospc    every write fails, the disk is full
//   pwrite:eintr     the first write is interrupted before writing anything
//   pwrite:short     the first write writes half, the rest work
//   pwrite:shortfail the first write writes half, the rest fail
//   fsync:eio        fsync and fdatasync fail
//   close:eio        close closes but reports a failure
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace {

template <typename F>
F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool fault(const char *call, const char *mode)
{
    const char *wanted = std::getenv("QUENLO_FAULT");
    return wanted && std::string(wanted) == std::string(call) + ":" + mode;
}

bool project(int fd)
{
    char link[4096];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(proc.c_str(), link, sizeof link - 1);
    if (length < 4)
        return false;
    return std::strncmp(link + length - 4, ".PRJ", 4) == 0;
}

int writes = 0;

} // namespace

extern "C" {

ssize_t pread(int fd, void *buffer, size_t count, off_t offset)
{
    static const auto next = real<ssize_t (*)(int, void *, size_t, off_t)>("pread");
    if (project(fd) && fault("pread", "eio")) {
        errno = EIO;
        return -1;
    }
    return next(fd, buffer, count, offset);
}

ssize_t pwrite(int fd, const void *buffer, size_t count, off_t offset)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    if (!project(fd))
        return next(fd, buffer, count, offset);
    const bool first = writes++ == 0;
    if (fault("pwrite", "enospc") || (!first && fault("pwrite", "shortfail"))) {
        errno = first ? ENOSPC : EIO;
        return -1;
    }
    if (first && fault("pwrite", "eintr")) {
        errno = EINTR;
        return -1;
    }
    if (first && (fault("pwrite", "short") || fault("pwrite", "shortfail")) && count > 1)
        return next(fd, buffer, count / 2, offset);
    return next(fd, buffer, count, offset);
}

}

namespace {

int sync(int fd, const char *name)
{
    const auto next = real<int (*)(int)>(name);
    if (project(fd) && fault("fsync", "eio")) {
        errno = EIO;
        return -1;
    }
    return next(fd);
}

} // namespace

extern "C" {

int fsync(int fd) { return sync(fd, "fsync"); }

int fdatasync(int fd) { return sync(fd, "fdatasync"); }

int close(int fd)
{
    static const auto next = real<int (*)(int)>("close");
    const bool failing = project(fd) && fault("close", "eio");
    const int result = next(fd);
    if (failing) {
        errno = EIO;
        return -1;
    }
    return result;
}

} // extern "C"
