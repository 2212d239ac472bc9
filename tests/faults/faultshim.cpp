// An LD_PRELOAD library that makes the file calls on project files (names
// ending in ".PRJ") fail or come up short, as a failing disk would.
// QUENLO_FAULT=CALL:MODE chooses the fault:
//   pread:eio        every read fails
//   pwrite:enospc    every write fails, the disk is full
//   pwrite:eintr     the first write is interrupted before writing anything
//   pwrite:short     the first write writes half, the rest work
//   pwrite:shortfail the first write writes half (of one byte: nothing, and
//                    fails), the rest fail
//   fsync:eio        fsync and fdatasync fail
//   syncfs:eio       syncfs fails
//   close:eio        close closes but reports a failure
// Several faults are separated by commas; CALL:MODE:NAME fails only on the
// file whose path ends in NAME. QUENLO_FLUSHES=FILE notes each fsync,
// fdatasync and syncfs on a project file as a line of FILE.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

template <typename F>
F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

std::string target(int fd)
{
    char link[4096];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(proc.c_str(), link, sizeof link);
    return std::string(link, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool project(int fd)
{
    return target(fd).ends_with(".PRJ");
}

bool fault(const char *call, const char *mode, int fd = -1)
{
    const char *wanted = std::getenv("QUENLO_FAULT");
    std::istringstream faults(wanted ? wanted : "");
    const std::string asked = std::string(call) + ":" + mode;
    for (std::string entry; std::getline(faults, entry, ',');) {
        if (entry == asked
            || (fd >= 0 && entry.starts_with(asked + ":") && target(fd).ends_with(entry.substr(asked.size() + 1))))
            return true;
    }
    return false;
}

void noteflush(const char *call)
{
    if (const char *log = std::getenv("QUENLO_FLUSHES")) {
        const std::string line = std::string(call) + "\n";
        const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        (void)!write(fd, line.data(), line.size());
        syscall(SYS_close, fd);
    }
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
    if (first && fault("pwrite", "shortfail")) {
        errno = EIO;
        return -1;
    }
    return next(fd, buffer, count, offset);
}

}

namespace {

int sync(int fd, const char *name, const char *faulty = "fsync")
{
    const auto next = real<int (*)(int)>(name);
    if (!project(fd))
        return next(fd);
    noteflush(name);
    if (fault(faulty, "eio", fd)) {
        errno = EIO;
        return -1;
    }
    return next(fd);
}

} // namespace

extern "C" {

int fsync(int fd) { return sync(fd, "fsync"); }

int fdatasync(int fd) { return sync(fd, "fdatasync"); }

int syncfs(int fd) { return sync(fd, "syncfs", "syncfs"); }

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
