#include "fileidentity.h"

#ifdef _WIN32
#include "error.h"
#include "widepath.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace quenlo::cli {

#ifdef _WIN32

namespace {

std::optional<FileIdentity> identityof(const std::wstring &wide)
{
    // No access asked for: the attributes can be read even from a file that
    // another program holds open without sharing. Folders need the backup flag.
    const HANDLE handle = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace

std::optional<FileIdentity> fileidentity(const std::string &path)
{
    try {
        return identityof(widepath(path));
    } catch (const Error &) {
        return std::nullopt;
    }
}

NameLook lookatname(const std::string &path)
{
    if (isfolder(path))
        return {true, std::nullopt};
    return {false, fileidentity(path)};
}

std::optional<FileIdentity> fileidentity(const HeldFolder &folder, const std::string &name, bool)
{
    try {
        return identityof(exactpath(folder.folder(), name));
    } catch (const Error &) {
        return std::nullopt;
    }
}

#else

std::optional<FileIdentity> fileidentity(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) < 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

NameLook lookatname(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) < 0)
        return {};
    if (S_ISDIR(info.st_mode))
        return {true, std::nullopt};
    return {false, FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)}};
}

std::optional<FileIdentity> fileidentity(const HeldFolder &folder, const std::string &name, bool link)
{
    struct stat info {};
    if (::fstatat(folder.fd(), name.c_str(), &info, link ? 0 : AT_SYMLINK_NOFOLLOW) < 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

#endif

} // namespace quenlo::cli
