#include "folderwalk.h"

#include <algorithm>
#include <optional>

namespace quenlo::cli {

namespace {

constexpr std::string_view kProjectExtension = ".prj";

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool isprojectname(std::string_view name)
{
    if (name.size() < kProjectExtension.size())
        return false;
    const auto tail = name.substr(name.size() - kProjectExtension.size());
    return std::equal(tail.begin(), tail.end(), kProjectExtension.begin(),
                      [](char a, char b) { return lower(a) == b; });
}

std::string joinpath(const std::string &folder, const std::string &name)
{
#ifdef _WIN32
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':')
        return folder + name;
    return folder + '\\' + name;
#else
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
#endif
}

namespace {

// A folder under way: its entries in order, and the next one to look at.
struct Level {
    std::shared_ptr<const Folder> folder;
    std::vector<FolderEntry> entries;
    std::size_t next = 0;
};

} // namespace

HeldFolder Folders::hold(const Folder &folder)
{
    std::lock_guard lock(mutex_);
    const int fd = acquire(folder);
    return HeldFolder(*this, folder, fd, folder.volume_);
}

void Folders::letgo(const Folder &folder)
{
    std::lock_guard lock(mutex_);
    release(folder);
}

void walkfolder(Folders &folders, const std::string &top, const std::function<void(WalkedFile)> &file,
                const std::function<void(const Error &)> &unreadable, const std::function<bool()> &stopped)
{
    walkfolder(folders, std::make_shared<const Folder>(nullptr, top, top), file, unreadable, stopped);
}

void walkfolder(Folders &folders, std::shared_ptr<const Folder> top, const std::function<void(WalkedFile)> &file,
                const std::function<void(const Error &)> &unreadable, const std::function<bool()> &stopped,
                bool onefilesystem)
{
    // Each folder's entries are read, and the folder let go, before the
    // first of them is looked at: only the descriptors of folders whose
    // files are at work stay held.
    std::vector<Level> levels;
    std::optional<std::uint64_t> topvolume;
    const auto enter = [&](std::shared_ptr<const Folder> folder) {
        try {
            const auto held = folders.hold(*folder);
            if (onefilesystem) {
                if (!topvolume)
                    topvolume = held.volume();
                else if (held.volume() != *topvolume)
                    return;
            }
            auto entries = listfolder(held);
            sortentries(entries);
            levels.push_back({std::move(folder), std::move(entries)});
        } catch (const Error &error) {
            unreadable(Error(error.number(), error.subject(), std::string(kUnreadableFolder) + error.reason()));
        }
    };
    if (stopped())
        return;
    enter(std::move(top));
    while (!levels.empty()) {
        auto &level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            continue;
        }
        const auto &entry = level.entries[level.next++];
        auto path = joinpath(level.folder->path(), entry.name);
        if (entry.kind == FolderEntry::Folder) {
            if (stopped())
                return;
            enter(std::make_shared<const Folder>(level.folder, entry.name, std::move(path)));
        } else if (isprojectname(entry.name)) {
            const bool link = entry.kind == FolderEntry::Link;
            if (link) {
                // A link to a folder is never followed; a broken one is a file
                // the fix will say why it cannot open.
                try {
                    if (isfolderin(folders.hold(*level.folder), entry.name))
                        continue;
                } catch (const Error &) {
                }
            }
            file(WalkedFile{level.folder, entry.name, std::move(path), link});
        }
    }
}

} // namespace quenlo::cli
