#pragma once

#include "filedialog.h"

#include "win32api.h"

#include <commdlg.h>

#include <string>
#include <vector>

namespace quenlo {

// Room for the chosen name: the longest path Windows knows, so that a path
// past MAX_PATH comes back whole.
inline constexpr DWORD kFileNameCapacity = 32768;

// The file types as GetOpenFileNameW takes them: description and patterns
// (joined by ';') as pairs of strings ending in '\0', the list in another.
std::wstring win32filter(const std::vector<FileFilter> &filters);

// The flags the Open dialog is shown with: Explorer style, one file, and a
// name that need not exist.
inline constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;

// The calls behind the dialog, apart so that tests can answer in its place.
struct OpenDialogCalls {
    BOOL(WINAPI *show)(OPENFILENAMEW *) = ::GetOpenFileNameW;
    DWORD(WINAPI *lasterror)() = ::CommDlgExtendedError;
};

// The comdlg32 Open dialog, modal to `owner`. A cancel returns nothing; any
// other failure throws quenlo::Error with the dialog's error code.
class Win32FileDialogs final : public FileDialogService {
public:
    explicit Win32FileDialogs(HWND owner, OpenDialogCalls calls = {})
        : owner_(owner)
        , calls_(calls)
    {
    }
    std::optional<std::string> getopenfilename(const OpenRequest &request) override;

private:
    HWND owner_;
    OpenDialogCalls calls_;
};

} // namespace quenlo
