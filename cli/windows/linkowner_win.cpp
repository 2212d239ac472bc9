#include "linkowner.h"

#include "error.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <aclapi.h>

#include <vector>

namespace quenlo::cli {

namespace {

using Sid = std::vector<BYTE>;

Sid copied(PSID sid)
{
    const auto *bytes = static_cast<const BYTE *>(sid);
    return Sid(bytes, bytes + ::GetLengthSid(sid));
}

// The owner of the object `handle` has open; empty when it cannot be read.
Sid ownerof(HANDLE handle)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor)
        != ERROR_SUCCESS)
        return {};
    Sid sid = owner ? copied(owner) : Sid();
    ::LocalFree(descriptor);
    return sid;
}

// The user running us and the owner their new files get.
std::vector<Sid> ourselves()
{
    std::vector<Sid> sids;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return sids;
    for (const auto kind : {TokenUser, TokenOwner}) {
        DWORD size = 0;
        ::GetTokenInformation(token, kind, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        if (size == 0 || !::GetTokenInformation(token, kind, buffer.data(), size, &size))
            continue;
        // TOKEN_USER and TOKEN_OWNER both begin with the SID's address.
        sids.push_back(copied(kind == TokenUser ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid
                                                : reinterpret_cast<TOKEN_OWNER *>(buffer.data())->Owner));
    }
    ::CloseHandle(token);
    return sids;
}

HANDLE openforowner(const std::wstring &exact, bool follow)
{
    return ::CreateFileW(exact.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
}

} // namespace

void refuseunlessfollowable(const std::wstring &exact, const std::string &shown, const std::string &prefix)
{
    const HANDLE link = openforowner(exact, false);
    if (link == INVALID_HANDLE_VALUE)
        return; // the open that follows says why
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool islink = ::GetFileInformationByHandleEx(link, FileAttributeTagInfo, &tag, sizeof tag)
                        && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                        && (tag.ReparseTag == 0 || IsReparseTagNameSurrogate(tag.ReparseTag));
    const Sid linkowner = islink ? ownerof(link) : Sid();
    ::CloseHandle(link);
    if (!islink)
        return;
    Sid targetowner;
    if (const HANDLE target = openforowner(exact, true); target != INVALID_HANDLE_VALUE) {
        targetowner = ownerof(target);
        ::CloseHandle(target);
    }
    bool allowed = !linkowner.empty() && linkowner == targetowner;
    for (const auto &sid : ourselves())
        allowed = allowed || (!linkowner.empty() && sid == linkowner);
    if (!allowed)
        throw Error(ERROR_ACCESS_DENIED, shown,
                    prefix + "link not followed: its owner is neither you nor the owner of what it points to");
}

} // namespace quenlo::cli
