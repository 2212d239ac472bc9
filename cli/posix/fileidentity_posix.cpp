#include "fileidentity.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace quenlo::cli {

namespace {

FileIdentity identityof(const struct stat &info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

} // namespace

NameLook lookatname(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) < 0)
        return {};
    if (S_ISDIR(info.st_mode))
        return {true, std::nullopt};
    return {false, identityof(info)};
}

std::optional<FileIdentity> fileidentity(const HeldFolder &folder, const std::string &name, bool link)
{
    struct stat info {};
    if (::fstatat(folder.fd(), name.c_str(), &info, link ? 0 : AT_SYMLINK_NOFOLLOW) < 0)
        return std::nullopt;
    return identityof(info);
}

} // namespace quenlo::cli
