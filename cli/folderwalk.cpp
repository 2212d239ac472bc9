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
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path = folder;
    addtopath(path, name);
    return path;
}

Folder::~Folder()
{
    // Each parent that only this chain holds goes in turn, here: a
    // recursion as deep as the tree could run out of stack.
    auto parent = std::move(parent_);
    while (parent && parent.use_count() == 1)
        parent = std::move(parent->parent_);
}

bool Folder::loopsto(std::uint64_t volume, std::uint64_t file) const
{
    for (const Folder *above = parent(); link_ && above; above = above->parent()) {
        if (above->known_ && above->volume_ == volume && above->file_ == file)
            return true;
    }
    return false;
}

std::string Folder::path() const
{
    std::vector<const Folder *> below; // from this folder up to the one named
    const Folder *top = this;
    std::size_t size = 0;
    for (; top->parent_; top = top->parent_.get()) {
        below.push_back(top);
        size += top->name_.size() + 1;
    }
    std::string path;
    path.reserve(top->shown_.size() + size);
    path = top->shown_;
    for (auto folder = below.rbegin(); folder != below.rend(); ++folder)
        addtopath(path, (*folder)->name_);
    return path;
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

void walkfolder(Folders &folders, const std::string &top, bool dereference,
                const std::function<void(WalkedFile)> &file, const std::function<void(const Error &)> &unreadable,
                const std::function<bool()> &stopped)
{
    walkfolder(folders, std::make_shared<const Folder>(nullptr, top, top), dereference, file, unreadable, stopped);
}

void walkfolder(Folders &folders, std::shared_ptr<const Folder> top, bool dereference,
                const std::function<void(WalkedFile)> &file, const std::function<void(const Error &)> &unreadable,
                const std::function<bool()> &stopped, bool onefilesystem)
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
            unreadable(Error(error.number(), error.subject(), "cannot read the " + std::string(kFolderWord) + ": " + error.reason()));
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
        auto &entry = level.entries[level.next++];
        // Anyone who may write in a folder walked may plant a link there:
        // one is followed only when asked, and then under the owner rule
        // when it is opened. A broken one is a file the fix says it cannot
        // open.
        bool folder = entry.kind == FolderEntry::Folder;
        const bool link = entry.kind == FolderEntry::Link;
        if (link && !dereference)
            continue;
        if (link) {
            try {
                folder = isfolderin(folders.hold(*level.folder), entry.name);
            } catch (const Error &) {
            }
        }
        if (folder) {
            if (stopped())
                return;
            enter(std::make_shared<const Folder>(level.folder, std::move(entry.name), link));
        } else if (isprojectname(entry.name)) {
            file(WalkedFile{level.folder, std::move(entry.name), link});
        }
    }
}

} // namespace quenlo::cli
