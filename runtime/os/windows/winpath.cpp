#include "winpath.h"

#include "winfailure.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cwctype>

namespace quenlo::win {

namespace {

bool startswith(const std::wstring &text, std::wstring_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(prefix[i]))
            return false;
    return true;
}

// "X:\" and at least one character after it.
bool drivepath(const std::wstring &rest)
{
    return rest.size() > 3 && std::iswalpha(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
}

// "Volume{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\" and at least one character
// after it: a file on a volume, mounted with or without a letter. The volume
// itself (no backslash after the GUID) is a device.
bool volumepath(const std::wstring &rest)
{
    constexpr std::wstring_view shape = L"volume{########-####-####-####-############}\\";
    if (rest.size() <= shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == L'#' ? !std::iswxdigit(rest[i]) : std::towlower(rest[i]) != shape[i])
            return false;
    return true;
}

// The share of "server\share\...": a pipe or mailslot share is no folder.
const char *uncshare(const std::wstring &rest)
{
    const auto server = rest.find(L'\\');
    if (server == std::wstring::npos)
        return nullptr;
    const std::wstring share = rest.substr(server + 1);
    if (startswith(share + L"\\", L"pipe\\"))
        return "a named pipe";
    if (startswith(share + L"\\", L"mailslot\\"))
        return "a mailslot";
    return nullptr;
}

} // namespace

std::wstring fullpath(const std::wstring &path, const std::string &original)
{
    // Taken as it stands by the system. (Wine's GetFullPathNameW would still
    // strip a trailing dot.)
    if (path.starts_with(L"\\\\?\\"))
        return path;
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        fail(::GetLastError(), original, "cannot open");
    std::wstring full(size, L'\0');
    const DWORD used = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (used == 0 || used >= size)
        fail(::GetLastError(), original, "cannot open");
    full.resize(used);
    return full;
}

const char *devicekind(const std::wstring &full)
{
    // The prefixes \\.\ and \\?\ hand the rest to the object manager as
    // it stands; \??\ is the same namespace spelt natively.
    if (startswith(full, L"\\\\.\\") || startswith(full, L"\\\\?\\") || startswith(full, L"\\??\\")) {
        const std::wstring rest = full.substr(4);
        if (drivepath(rest) || volumepath(rest))
            return nullptr;
        if (startswith(rest, L"UNC\\"))
            return uncshare(rest.substr(4));
        if (startswith(rest, L"pipe\\"))
            return "a named pipe";
        return "a device name";
    }
    if (startswith(full, L"\\\\"))
        return uncshare(full.substr(2));
    return nullptr;
}

std::wstring longform(const std::wstring &full)
{
    if (full.empty() || startswith(full, L"\\\\?\\") || startswith(full, L"\\\\.\\"))
        return full;
    if (startswith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

} // namespace quenlo::win
