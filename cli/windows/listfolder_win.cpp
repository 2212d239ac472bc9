// Folders on Windows. A folder is open while something in it is at work (its
// listing, a file of it being fixed), for listing and sharing everything but
// deletion: meanwhile it cannot be renamed, moved or deleted, and on NTFS
// neither can a folder above it. Opened again, it must be the folder first
// met (volume serial number and file ID). Entries are reached by their names
// exactly as listed, through the \\?\ form, so that a name ending in a dot or
// a space leads to that very entry, never to its namesake without them.
// Folders marked both hidden and system are left out of listings, as
// Explorer leaves them out; entries are shown in the order dir shows them.
#include "folderwalk.h"
#include "folderwalk_win.h"
#include "linkowner.h"
#include "quotename.h"
#include "utf16.h"
#include "widepath.h"
#include "winfailure.h"
#include "winfile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace quenlo::cli {

namespace {

// A folder in messages: the working folder for a wildcard without a folder part.
std::string shown(const Folder &folder)
{
    return folder.path().empty() ? std::string(".") : folder.path();
}

[[noreturn]] void unreadable(DWORD code, const Folder &folder)
{
    throw Error(static_cast<int>(code), shown(folder), win::systemmessage(code));
}

// The folder's path as the system takes it as it stands. A folder named by
// the user follows Windows' rules for typed names (unless given in the
// \\?\ form); one met in a listing is reached from its parent by its name.
std::wstring exactfolder(const Folder &folder)
{
    if (const Folder *parent = folder.parent())
        return exactpath(*parent, folder.name());
    return widepath(folder.name().empty() ? "." : folder.name());
}

// The system's own folders (the recycle bin, System Volume Information,
// and junctions such as "Documents and Settings"), which Explorer does not
// show and a walk does not enter unless named.
bool systemfolder(DWORD attributes)
{
    constexpr DWORD hiddensystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & hiddensystem) == hiddensystem;
}

} // namespace

FolderEntry::Kind entrykind(unsigned long attributes, unsigned long tag)
{
    // No tag at all (Wine lists symbolic links so) may be any link.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == 0 || IsReparseTagNameSurrogate(tag)))
        return FolderEntry::Link;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderEntry::Folder : FolderEntry::Other;
}

std::wstring exactpath(const Folder &folder, const std::string &name)
{
    std::wstring path = exactfolder(folder);
    if (path.back() != L'\\')
        path += L'\\';
    return path + win::toutf16(name, win::LoneSurrogate::keep);
}

struct Folders::State {
    std::unordered_map<const Folder *, HANDLE> open;
};

Folders::Folders(std::size_t)
    : state_(std::make_unique<State>())
{
}

Folders::~Folders()
{
    for (const auto &[folder, handle] : state_->open)
        ::CloseHandle(handle);
}

// With the lock held.
int Folders::acquire(const Folder &folder)
{
    if (folder.holders_ > 0) {
        ++folder.holders_;
        return -1;
    }
    const auto refuse = [&](DWORD code, const std::string &why) -> int {
        throw Error(static_cast<int>(code), shown(folder), why);
    };
    std::wstring exact;
    try {
        exact = exactfolder(folder);
    } catch (const Error &error) {
        refuse(static_cast<DWORD>(error.number()), error.reason());
    }
    // One met in a listing is opened as it is, never through a link that
    // took its place; one named by the user, or met as a link with -L, is
    // followed.
    const bool follow = !folder.parent() || folder.link_;
    if (follow && !folder.known_)
        refuseunlessfollowable(exact, shown(folder), "");
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE handle = ::CreateFileW(exact.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        refuse(code, win::systemmessage(code));
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)
        || !::GetFileInformationByHandle(handle, &info)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(handle);
        refuse(code, win::systemmessage(code));
    }
    const std::uint64_t volume = info.dwVolumeSerialNumber,
                        file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    const bool folderstill = entrykind(tag.FileAttributes, tag.ReparseTag) == FolderEntry::Folder;
    if (!folderstill || (folder.known_ && (folder.volume_ != volume || folder.file_ != file))) {
        ::CloseHandle(handle);
        if (!folderstill && !folder.known_ && !folder.parent())
            refuse(ERROR_DIRECTORY, win::systemmessage(ERROR_DIRECTORY));
        refuse(ERROR_FILE_INVALID, "the folder " + quotename(shown(folder)) + " was replaced during the run");
    }
    if (!folder.known_ && folder.loopsto(volume, file)) {
        ::CloseHandle(handle);
        refuse(ERROR_CANT_RESOLVE_FILENAME, "link not followed: it leads back to a folder above it");
    }
    folder.volume_ = volume;
    folder.file_ = file;
    folder.known_ = true;
    folder.holders_ = 1;
    state_->open[&folder] = handle;
    return -1;
}

// With the lock held: a folder nothing is at work in is let go at once, so
// that it is kept from being renamed no longer than needed.
void Folders::release(const Folder &folder)
{
    if (--folder.holders_ > 0)
        return;
    const auto open = state_->open.find(&folder);
    ::CloseHandle(open->second);
    state_->open.erase(open);
}


void Folders::makeroom() {}

std::vector<FolderEntry> listfolder(const HeldFolder &held)
{
    std::wstring pattern;
    try {
        pattern = exactfolder(held.folder());
    } catch (const Error &error) {
        unreadable(static_cast<DWORD>(error.number()), held.folder());
    }
    pattern += pattern.back() == L'\\' ? L"*" : L"\\*";
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    std::vector<FolderEntry> entries;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return entries; // an empty drive root: the folder itself is held
        unreadable(code, held.folder());
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && !systemfolder(data.dwFileAttributes))
            entries.push_back(
                {win::toutf8(name, win::LoneSurrogate::keep), entrykind(data.dwFileAttributes, data.dwReserved0)});
    } while (::FindNextFileW(search, &data));
    const DWORD code = ::GetLastError();
    ::FindClose(search);
    if (code != ERROR_NO_MORE_FILES)
        unreadable(code, held.folder());
    return entries;
}

void sortentries(std::vector<FolderEntry> &entries)
{
    std::vector<std::wstring> names;
    names.reserve(entries.size());
    for (const auto &entry : entries)
        names.push_back(win::toutf16lossy(entry.name));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto &one = names[a], &other = names[b];
        const int compared = ::CompareStringOrdinal(one.data(), static_cast<int>(one.size()), other.data(),
                                                    static_cast<int>(other.size()), TRUE);
        return compared != CSTR_EQUAL ? compared == CSTR_LESS_THAN : entries[a].name < entries[b].name;
    });
    std::vector<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (const auto at : order)
        sorted.push_back(std::move(entries[at]));
    entries.swap(sorted);
}

bool isfolderin(const HeldFolder &folder, const std::string &name)
{
    std::wstring exact;
    try {
        exact = exactpath(folder.folder(), name);
    } catch (const Error &) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(exact.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::wstring exactfile(const HeldFolder &folder, const std::string &name, const std::string &shown)
{
    try {
        return exactpath(folder.folder(), name);
    } catch (const Error &error) {
        throw Error(error.number(), shown, error.reason());
    }
}

} // namespace

std::unique_ptr<File> FilesInFolder::open(const std::string &shown)
{
    const auto exact = exactfile(folder_, name_, shown);
    if (link_)
        refuseunlessfollowable(exact, shown, "cannot open: ");
    return win::openforupdate(exact, shown);
}

std::unique_ptr<File> FilesInFolder::openforreading(const std::string &shown)
{
    const auto exact = exactfile(folder_, name_, shown);
    if (link_)
        refuseunlessfollowable(exact, shown, "cannot open: ");
    return win::openforreading(exact, shown);
}

std::unique_ptr<File> FilesInFolder::openforlook(const std::string &shown)
{
    return openforreading(shown);
}

} // namespace quenlo::cli
