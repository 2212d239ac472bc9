// Folders on Windows: FindFirstFileExW. A folder that is a reparse point
// (symbolic link, junction) is told apart so that it is never walked.
#include "folderwalk.h"
#include "widepath.h"
#include "winfailure.h"
#include "wintext.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace quenlo::cli {

namespace {

[[noreturn]] void unreadable(DWORD code, const std::string &path)
{
    throw Error(static_cast<int>(code), path, std::string(kUnreadableFolder) + win::systemmessage(code));
}

} // namespace

// Folders are reached by their paths: nothing is held.
struct Folders::State {};

Folders::Folders(std::size_t)
    : state_(std::make_unique<State>())
{
}

Folders::~Folders() = default;

HeldFolder Folders::hold(const Folder &folder)
{
    return HeldFolder(*this, folder, acquire(folder));
}

int Folders::acquire(const Folder &)
{
    return -1;
}

void Folders::release(const Folder &) {}

void Folders::letgo(const Folder &) {}

void Folders::forget(const Folder &) {}

Folder::~Folder() = default;

void Folders::makeroom() {}

std::vector<FolderEntry> listfolder(const HeldFolder &held)
{
    const std::string &path = held.folder().path();
    std::wstring wide;
    try {
        wide = widepath(path);
    } catch (const Error &error) {
        unreadable(static_cast<DWORD>(error.number()), path);
    }
    const std::wstring pattern = wide + (wide.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    std::vector<FolderEntry> entries;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND && isfolder(path))
            return entries; // an empty drive root
        unreadable(code, path);
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        FolderEntry::Kind kind = FolderEntry::Other;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            kind = FolderEntry::Link;
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            kind = FolderEntry::Folder;
        entries.push_back({toutf8(name), kind});
    } while (::FindNextFileW(search, &data));
    const DWORD code = ::GetLastError();
    ::FindClose(search);
    if (code != ERROR_NO_MORE_FILES)
        unreadable(code, path);
    return entries;
}

bool isfolder(const std::string &path)
{
    std::wstring wide;
    try {
        wide = widepath(path);
    } catch (const Error &) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace quenlo::cli

namespace quenlo::cli {

bool isfolderin(const HeldFolder &folder, const std::string &name)
{
    return isfolder(joinpath(folder.folder().path(), name));
}

std::unique_ptr<File> FilesInFolder::open(const std::string &shown)
{
    return systemfiles().open(shown);
}

std::unique_ptr<File> FilesInFolder::openforreading(const std::string &shown)
{
    return systemfiles().openforreading(shown);
}

} // namespace quenlo::cli
