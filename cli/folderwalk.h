#pragma once

#include "error.h"
#include "file.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenlo::cli {

// One entry of a folder, as the folder itself tells it.
struct FolderEntry {
    enum Kind {
        Folder, // a folder of its own (walked)
        Link,   // a symbolic link or other reparse point (followed only with -L)
        Other,  // a file of any kind
    };
    std::string name; // the file system's bytes on POSIX, UTF-8 on Windows
    Kind kind = Other;
};

class Folders;

// `name` inside `folder`, with the platform's separator.
std::string joinpath(const std::string &folder, const std::string &name);
// The same, added to `folder` in place; each system's own, with the word for
// a folder, in cli/posix and cli/windows (foldernames_*.cpp).
void addtopath(std::string &folder, std::string_view name);

// A folder that the walk met. The walk and the files found in it later
// reach it from its parent by name, never again by its whole path, and it
// must still be the folder the walk met (see Folders). It keeps its own
// name and its parent only, so a tree of any depth takes memory in
// proportion to its folders; its path is built only to be shown. Always
// owned by a shared_ptr: Folders keeps the ones whose descriptors it keeps
// open.
class Folder : public std::enable_shared_from_this<Folder> {
public:
    // A folder met in `parent`'s listing as `name` (`link`: a symbolic
    // link to it, followed).
    Folder(std::shared_ptr<const Folder> parent, std::string name, bool link = false)
        : parent_(std::move(parent))
        , name_(std::move(name))
        , link_(link)
    {
    }
    // A folder named by the user: reached as `name`, shown as `shown`.
    Folder(std::nullptr_t, std::string name, std::string shown)
        : name_(std::move(name))
        , shown_(std::move(shown))
    {
    }
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    std::string path() const; // as printed
    const std::string &name() const { return name_; }
    const Folder *parent() const { return parent_.get(); }
    // Met as a link that leads back to a folder above it, the walk met
    // through it being the file system's (`volume`, `file`): a loop.
    bool loopsto(std::uint64_t volume, std::uint64_t file) const;

private:
    friend class Folders;
    // Nothing: a folder named on the command line. Taken by the last child
    // as it goes, so that a chain of any depth goes without recursion.
    mutable std::shared_ptr<const Folder> parent_;
    std::string name_;                     // its name in the parent, or the path named
    std::string shown_;                    // a folder named: as printed
    bool link_ = false;                    // met as a symbolic link, followed
    // The file system's identity of the folder met by the walk, and the
    // descriptor held on it, if any; kept by Folders under its lock.
    mutable std::uint64_t volume_ = 0, file_ = 0;
    mutable bool known_ = false;
    mutable int fd_ = -1;
    mutable unsigned holders_ = 0;
    mutable std::list<std::shared_ptr<const Folder>>::iterator idle_; // its place among the idle ones, when idle
};

class HeldFolder;

// What a folder is called in messages, as each system calls it: "folder"
// on Windows, "directory" on POSIX.
extern const std::string_view kFolderWord;

// The folders of one run and the descriptors held on them. On POSIX each
// folder is opened inside its parent (openat, never following a link) so
// names of any depth work; at most `most` descriptors stay open, the least
// recently used one closed first, and a folder opened again must be the
// very folder the walk met. On Windows a folder is open only while held,
// shared for anything but renaming and deleting it, reached by its path
// exactly as listed (the \\?\ form), and must be the folder first met.
class Folders {
public:
    explicit Folders(std::size_t most);
    ~Folders();
    Folders(const Folders &) = delete;
    Folders &operator=(const Folders &) = delete;

    // Holds the folder open while the result lives. Throws quenlo::Error
    // naming the folder when it cannot be opened, or is no longer the
    // folder the walk met; the reason is bare ("Permission denied"), for
    // the caller to put in its own words.
    HeldFolder hold(const Folder &folder);

private:
    friend class HeldFolder;
    friend class Folder;

    void letgo(const Folder &folder);
    // With the lock held:
    int acquire(const Folder &folder);
    void openinside(const Folder &folder); // POSIX
    void release(const Folder &folder);
    void makeroom();

    std::mutex mutex_;
    struct State; // the system's own
    std::unique_ptr<State> state_;
};

class HeldFolder {
public:
    HeldFolder(Folders &folders, const Folder &folder, int fd, std::uint64_t volume = 0)
        : folders_(&folders)
        , folder_(&folder)
        , fd_(fd)
        , volume_(volume)
    {
    }
    HeldFolder(HeldFolder &&other) noexcept
        : folders_(std::exchange(other.folders_, nullptr))
        , folder_(other.folder_)
        , fd_(other.fd_)
        , volume_(other.volume_)
    {
    }
    ~HeldFolder()
    {
        if (folders_)
            folders_->letgo(*folder_);
    }
    HeldFolder(const HeldFolder &) = delete;
    HeldFolder &operator=(const HeldFolder &) = delete;
    HeldFolder &operator=(HeldFolder &&) = delete;

    int fd() const { return fd_; } // POSIX: a descriptor (O_PATH) of the folder; Windows: -1
    const Folder &folder() const { return *folder_; }
    // The file system the folder is on: POSIX st_dev, Windows the volume's
    // serial number.
    std::uint64_t volume() const { return volume_; }

private:
    Folders *folders_;
    const Folder *folder_;
    int fd_;
    std::uint64_t volume_;
};

// A project file that the walk met: `name` inside `folder`.
struct WalkedFile {
    std::shared_ptr<const Folder> folder;
    std::string name;
    bool link = false; // the walk met a symbolic link to a file, followed (-L); else a link found there later is refused
    std::string path() const { return joinpath(folder->path(), name); } // as printed
};

// The entries of the folder held, without "." and "..", in no particular
// order; on Windows without the folders marked both hidden and system (the
// recycle bin, System Volume Information), which Explorer does not show. Throws quenlo::Error naming the folder and the bare reason
// ("Permission denied") when it cannot be read, as Folders::hold() does.
std::vector<FolderEntry> listfolder(const HeldFolder &folder);

// Sorts a folder's entries into the order the system shows names in: on
// POSIX by their bytes; on Windows as dir shows them, letters compared
// without regard to case as Windows compares names (CompareStringOrdinal),
// names equal so by their bytes.
void sortentries(std::vector<FolderEntry> &entries);

// Whether the entry `name` of the folder held is a folder, following links.
bool isfolderin(const HeldFolder &folder, const std::string &name);


// Whether `name` ends in ".PRJ", in any letter case.
bool isprojectname(std::string_view name);

// The file `name` of the folder held, opened as the walk met it (`link`: a
// symbolic link, followed; otherwise a link found there now is refused): on
// POSIX inside the folder's descriptor, on Windows by the path it is shown
// as. Lives no longer than `folder`.
class FilesInFolder final : public FileService {
public:
    FilesInFolder(const HeldFolder &folder, std::string name, bool link)
        : folder_(folder)
        , name_(std::move(name))
        , link_(link)
    {
    }
    std::unique_ptr<File> open(const std::string &shown) override;
    std::unique_ptr<File> openforreading(const std::string &shown) override;
    std::unique_ptr<File> openforlook(const std::string &shown) override;

private:
    const HeldFolder &folder_;
    std::string name_;
    bool link_;
};

// Walks the tree under `top`, depth first, each folder's entries in the
// system's order (sortentries), files and folders together. Calls
// `file` for every entry named like a project file that is not a folder,
// and `unreadable` for every folder that cannot be read, and goes on.
// Memory grows with the folders met, never with the square of the tree's
// depth. Symbolic links (on Windows junctions too) met in the tree are
// left out, as find leaves them; with `dereference` (find -L) a link is
// followed, to a file or into a folder, but only under the owner rule
// (see checkfollowed in posixopen.h), and never into a folder above it,
// so the walk always ends. Before each folder it asks `stopped`, and
// ends early once that says so.
void walkfolder(Folders &folders, const std::string &top, bool dereference,
                const std::function<void(WalkedFile)> &file, const std::function<void(const Error &)> &unreadable,
                const std::function<bool()> &stopped = [] { return false; });
// The same from a folder already made: one a wildcard matched.
// With `onefilesystem`, never into a folder on another file system.
void walkfolder(Folders &folders, std::shared_ptr<const Folder> top, bool dereference,
                const std::function<void(WalkedFile)> &file, const std::function<void(const Error &)> &unreadable,
                const std::function<bool()> &stopped, bool onefilesystem = false);

} // namespace quenlo::cli
