// Folders on POSIX: readdir, with lstat where the folder does not tell the
// kind of an entry.
#include "folderwalk.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace quenlo::cli {

namespace {

[[noreturn]] void unreadable(int number, const std::string &path)
{
    throw Error(number, path, std::string("cannot read the folder: ") + std::strerror(number));
}

FolderEntry::Kind kindof(mode_t mode)
{
    if (S_ISDIR(mode))
        return FolderEntry::Folder;
    if (S_ISLNK(mode))
        return FolderEntry::Link;
    return FolderEntry::Other;
}

} // namespace

std::vector<FolderEntry> listfolder(const std::string &path)
{
    DIR *folder = ::opendir(path.c_str());
    if (!folder)
        unreadable(errno, path);
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
            if (::lstat(joinpath(path, name).c_str(), &info) == 0)
                kind = kindof(info.st_mode);
            break;
        }
        default: break;
        }
        entries.push_back({name, kind});
    }
}

bool isfolder(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace quenlo::cli
