// Folders on POSIX, reached as GNU find and rm -r reach them: each one
// opened inside its parent (openat, O_NOFOLLOW), read with readdir through
// that descriptor, and the files in it opened inside it. A name of any
// depth works, and a folder swapped for a link or another folder during the
// run is never followed.
#include "folderwalk.h"

#include "posixat.h"
#include "quotename.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
// inside its parent, and that one inside its own if closed too: from the
// nearest one still open down, each held only while the next is opened in
// it, without a recursion as deep as the tree.
int Folders::acquire(const Folder &folder)
{
    if (folder.fd_ >= 0) {
        if (folder.holders_++ == 0)
            state_->idle.erase(folder.idle_);
        return folder.fd_;
    }
    std::vector<const Folder *> down{&folder};
    while (down.back()->parent_ && down.back()->parent_->fd_ < 0)
        down.push_back(down.back()->parent_.get());
    const Folder *above = nullptr;
    try {
        for (auto one = down.rbegin(); one != down.rend(); ++one) {
            openinside(**one);
            if (above)
                release(*above);
            above = *one;
        }
    } catch (...) {
        if (above)
            release(*above);
        throw;
    }
    return folder.fd_;
}

// With the lock held: opens `folder`, whose parent is open, and holds it.
void Folders::openinside(const Folder &folder)
{
    // A link is followed only to the folder named on the command line, or
    // met in the walk with -L; the first time under the owner rule, later
    // only to the very folder it led to then.
    const posix::At at{folder.parent_ ? folder.parent_->fd_ : AT_FDCWD, folder.name_, !folder.parent_ || folder.link_};
    const bool checklink = at.follow && !folder.known_;
    const auto before = checklink ? posix::lookatlast(at) : std::nullopt;
    const int fd = openfolder(at.folder, at.name.c_str(), at.follow ? 0 : O_NOFOLLOW);
    // Its path is built only to be shown.
    const auto refuse = [&](int number, const std::string &why) { throw Error(number, folder.path(), why); };
    const auto replaced = [&] { return "the directory " + quotename(folder.path()) + " was replaced during the run"; };
    if (fd < 0) {
        const int number = errno;
        refuse(number, number == ELOOP || number == ENOTDIR ? replaced() : std::strerror(number));
    }
    struct stat status {};
    if (::fstat(fd, &status) < 0) {
        const int number = errno;
        ::close(fd);
        refuse(number, std::strerror(number));
    }
    const auto volume = static_cast<std::uint64_t>(status.st_dev), file = static_cast<std::uint64_t>(status.st_ino);
    if (folder.known_ && (folder.volume_ != volume || folder.file_ != file)) {
        ::close(fd);
        refuse(ESTALE, replaced());
    }
    if (checklink) {
        try {
            posix::checkfollowed(at, before, status, folder.path(), "");
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (folder.loopsto(volume, file)) {
            ::close(fd);
            refuse(ELOOP, "symbolic link not followed: it leads back to a directory above it");
        }
    }
    folder.volume_ = volume;
    folder.file_ = file;
    folder.known_ = true;
    makeroom();
    folder.fd_ = fd;
    folder.holders_ = 1;
    ++state_->open;
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
    const auto path = [&] { return held.folder().path(); };
    int fd;
    do
        fd = ::openat(held.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int number = errno;
        unreadable(number, path());
    }
    DIR *folder = ::fdopendir(fd);
    if (!folder) {
        const int number = errno;
        ::close(fd);
        unreadable(number, path());
    }
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder);
        if (!entry) {
            const int number = errno;
            ::closedir(folder);
            if (number != 0)
                unreadable(number, path());
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
    return posix::openforupdate({folder_.fd(), name_, link_, true}, shown);
}

std::unique_ptr<File> FilesInFolder::openforreading(const std::string &shown)
{
    return posix::openforreading({folder_.fd(), name_, link_, true}, shown);
}

std::unique_ptr<File> FilesInFolder::openforlook(const std::string &shown)
{
    return posix::openforlook({folder_.fd(), name_, link_, true}, shown);
}

} // namespace quenlo::cli
