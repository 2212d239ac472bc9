// Folders on POSIX, reached as GNU find and rm -r reach them: each one
// opened inside its parent (openat, O_NOFOLLOW), read with readdir through
// that descriptor, and the files in it opened inside it. A name of any
// depth works, and a folder swapped for a link or another folder during the
// run is never followed.
#include "folderwalk.h"

#include "posixat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <sys/stat.h>
#include <unistd.h>

namespace quenlo::cli {

namespace {

[[noreturn]] void unreadable(int number, const std::string &path)
{
    throw Error(number, path, std::strerror(number));
}

FolderEntry::Kind kindof(mode_t mode)
{
    if (S_ISDIR(mode))
        return FolderEntry::Folder;
    if (S_ISLNK(mode))
        return FolderEntry::Link;
    return FolderEntry::Other;
}

int openfolder(int parent, const char *name, int flags)
{
    int fd;
    do
        fd = ::openat(parent, name, O_PATH | O_DIRECTORY | O_CLOEXEC | flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

struct Folders::State {
    std::size_t most;
    std::size_t open = 0;
    std::list<std::shared_ptr<const Folder>> idle; // open and held by nobody, least recently used first
};

Folders::Folders(std::size_t most)
    : state_(std::make_unique<State>())
{
    state_->most = std::max<std::size_t>(most, 1);
}

Folders::~Folders()
{
    for (const auto &folder : state_->idle)
        ::close(std::exchange(folder->fd_, -1));
}

// With the lock held. A folder whose descriptor was closed is opened again
// inside its parent, which is held for that moment only.
int Folders::acquire(const Folder &folder)
{
    if (folder.fd_ >= 0) {
        if (folder.holders_++ == 0)
            state_->idle.erase(folder.idle_);
        return folder.fd_;
    }
    int fd;
    if (!folder.parent_) {
        fd = openfolder(AT_FDCWD, folder.name_.c_str(), 0);
    } else {
        const int parent = acquire(*folder.parent_);
        fd = openfolder(parent, folder.name_.c_str(), O_NOFOLLOW);
        const int number = errno;
        release(*folder.parent_);
        errno = number;
    }
    const auto refuse = [&](int number, const std::string &why) -> int { throw Error(number, folder.path(), why); };
    const std::string replaced = "the directory " + folder.path() + " was replaced during the run";
    if (fd < 0)
        refuse(errno, errno == ELOOP || errno == ENOTDIR ? replaced : std::strerror(errno));
    struct stat status {};
    if (::fstat(fd, &status) < 0) {
        const int number = errno;
        ::close(fd);
        refuse(number, std::strerror(number));
    }
    const auto volume = static_cast<std::uint64_t>(status.st_dev), file = static_cast<std::uint64_t>(status.st_ino);
    if (folder.known_ && (folder.volume_ != volume || folder.file_ != file)) {
        ::close(fd);
        refuse(ESTALE, replaced);
    }
    folder.volume_ = volume;
    folder.file_ = file;
    folder.known_ = true;
    makeroom();
    folder.fd_ = fd;
    folder.holders_ = 1;
    ++state_->open;
    return fd;
}

// With the lock held.
void Folders::release(const Folder &folder)
{
    if (--folder.holders_ == 0)
        folder.idle_ = state_->idle.insert(state_->idle.end(), folder.shared_from_this());
}

// With the lock held: closes the least recently used idle descriptors
// until there is room for one more.
void Folders::makeroom()
{
    while (state_->open >= state_->most && !state_->idle.empty()) {
        const auto oldest = std::move(state_->idle.front());
        state_->idle.pop_front();
        ::close(std::exchange(oldest->fd_, -1));
        --state_->open;
    }
}

std::vector<FolderEntry> listfolder(const HeldFolder &held)
{
    const auto &path = held.folder().path();
    int fd;
    do
        fd = ::openat(held.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        unreadable(errno, path);
    DIR *folder = ::fdopendir(fd);
    if (!folder) {
        const int number = errno;
        ::close(fd);
        unreadable(number, path);
    }
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder);
        if (!entry) {
            const int number = errno;
            ::closedir(folder);
            if (number != 0)
                unreadable(number, path);
            return entries;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry::Kind kind = FolderEntry::Other;
        switch (entry->d_type) {
        case DT_DIR: kind = FolderEntry::Folder; break;
        case DT_LNK: kind = FolderEntry::Link; break;
        case DT_UNKNOWN: {
            struct stat info {};
            if (::fstatat(::dirfd(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
                kind = kindof(info.st_mode);
            break;
        }
        default: break;
        }
        entries.push_back({name, kind});
    }
}

void sortentries(std::vector<FolderEntry> &entries)
{
    // std::string compares as unsigned bytes.
    std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
}

bool isfolderin(const HeldFolder &folder, const std::string &name)
{
    struct stat info {};
    return ::fstatat(folder.fd(), name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
}

std::unique_ptr<File> FilesInFolder::open(const std::string &shown)
{
    return posix::openforupdate({folder_.fd(), name_, link_}, shown);
}

std::unique_ptr<File> FilesInFolder::openforreading(const std::string &shown)
{
    return posix::openforreading({folder_.fd(), name_, link_}, shown);
}

} // namespace quenlo::cli
