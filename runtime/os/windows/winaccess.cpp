#include "winaccess.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace quenlo::win {

namespace {

bool onnetworkshare(const std::wstring &path)
{
    std::vector<wchar_t> root(path.size() + 2);
    return !::GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size()))
           || ::GetDriveTypeW(root.data()) == DRIVE_REMOTE;
}

// Whether the security descriptor grants `token` (an impersonation token)
// reading and writing.
bool grants(PSECURITY_DESCRIPTOR descriptor, HANDLE token)
{
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD wanted = FILE_GENERIC_READ | FILE_GENERIC_WRITE;
    ::MapGenericMask(&wanted, &mapping);
    std::vector<char> privileges(1024);
    auto privilegessize = static_cast<DWORD>(privileges.size());
    DWORD granted = 0;
    BOOL allowed = FALSE;
    return ::AccessCheck(descriptor, token, wanted, &mapping, reinterpret_cast<PPRIVILEGE_SET>(privileges.data()),
                         &privilegessize, &granted, &allowed)
           && allowed;
}

} // namespace

bool deniedbeyondpermissions(const std::wstring &path)
{
    if (onnetworkshare(path))
        return false;
    constexpr SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION
                                           | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    ::GetFileSecurityW(path.c_str(), parts, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::vector<char> descriptor(size);
    if (!::GetFileSecurityW(path.c_str(), parts, descriptor.data(), size, &size))
        return false;
    HANDLE process = nullptr, token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process))
        return false;
    const bool duplicated = ::DuplicateToken(process, SecurityImpersonation, &token);
    ::CloseHandle(process);
    if (!duplicated)
        return false;
    const bool allowed = grants(descriptor.data(), token);
    ::CloseHandle(token);
    return allowed;
}

} // namespace quenlo::win
