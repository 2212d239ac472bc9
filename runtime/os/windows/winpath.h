#pragma once

#include <string>

namespace quenlo::win {

// The absolute form of `path` as the system itself resolves it: a DOS device
// name such as COM1 or NUL comes back as \\.\COM1; a path in the \\?\ form
// comes back as it stands. Throws quenlo::Error naming `original`.
std::wstring fullpath(const std::wstring &path, const std::string &original);

// What a full path names if it is not a file on a drive, a share or a
// volume (\\?\Volume{GUID}\...): "a device name" (\\.\COM1, \\.\C:,
// \\.\PhysicalDrive0, \\?\Volume{GUID} itself, \\?\GLOBALROOT\...) or "a
// named pipe" (\\.\pipe\..., \\server\pipe\...); nullptr for a file path.
// Judged from the name alone, before anything is opened.
const char *devicekind(const std::wstring &full);

// A full path in the form that lifts the 260-character limit.
std::wstring longform(const std::wstring &full);

} // namespace quenlo::win
