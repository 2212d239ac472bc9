#include "win32messageboxes.h"

#include "utf16.h"

namespace quenlo {

namespace {

void messagebox(HWND owner, std::string_view text, std::string_view title, UINT icon)
{
    ::MessageBoxW(owner, win::toutf16lossy(text).c_str(), win::toutf16lossy(title).c_str(), MB_OK | icon);
}

} // namespace

void Win32MessageBoxes::show(std::string_view text, std::string_view title)
{
    messagebox(owner_, text, title, 0);
}

void Win32MessageBoxes::showerror(std::string_view text, std::string_view title)
{
    messagebox(owner_, text, title, MB_ICONERROR);
}

} // namespace quenlo
