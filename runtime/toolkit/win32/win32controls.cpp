#include "win32controls.h"

#include "error.h"
#include "utf16.h"

namespace quenlo {

std::string WindowControl::text() const
{
    const int length = ::GetWindowTextLengthW(window_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window_, text.data(), length + 1)));
    return win::toutf8(text, win::LoneSurrogate::refuse, "a control's text");
}

void WindowControl::settext(std::string_view text)
{
    if (!::SetWindowTextW(window_, win::toutf16(text, win::LoneSurrogate::refuse, "a control's text").c_str()))
        throw Error(static_cast<int>(::GetLastError()), {}, "cannot set a control's text");
}

} // namespace quenlo
