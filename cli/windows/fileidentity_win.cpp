#include "fileidentity.h"

#include "error.h"
#include "folderwalk_win.h"
#include "widepath.h"

#include <windows.h>

namespace quenlo::cli {

namespace {

// The file `wide` names, following links, looked at with no access asked
// for: the attributes can be read even from a file that another program
// holds open without sharing. Folders need the backup flag.
std::optional<BY_HANDLE_FILE_INFORMATION> lookat(const std::wstring &wide)
{
    const HANDLE handle = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return info;
}

FileIdentity identityof(const BY_HANDLE_FILE_INFORMATION &info)
{
    return {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace

NameLook lookatname(const std::string &path)
{
    std::optional<BY_HANDLE_FILE_INFORMATION> info;
    try {
        info = lookat(widepath(path));
    } catch (const Error &) {
    }
    if (!info)
        return {};
    if (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {true, std::nullopt};
    return {false, identityof(*info)};
}

std::optional<FileIdentity> fileidentity(const HeldFolder &folder, const std::string &name, bool)
{
    try {
        if (const auto info = lookat(exactpath(folder.folder(), name)))
            return identityof(*info);
    } catch (const Error &) {
    }
    return std::nullopt;
}

} // namespace quenlo::cli
