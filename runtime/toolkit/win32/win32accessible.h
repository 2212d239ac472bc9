#pragma once

#include "win32api.h"

#include <string>

struct IAccPropServices;

namespace quenlo {

// The description that assistive tools read for a window's client area, set
// through Dynamic Annotation (IAccPropServices) when a tool first asks about
// the window (WM_GETOBJECT), so that a start without one loads no COM.
class WindowDescription {
public:
    explicit WindowDescription(std::wstring text)
        : text_(std::move(text))
    {
    }
    ~WindowDescription();
    WindowDescription(const WindowDescription &) = delete;
    WindowDescription &operator=(const WindowDescription &) = delete;

    // Sets it for `window`, the first time only.
    void annotate(HWND window);
    // Takes it off `window` before the window goes.
    void clear(HWND window);

private:
    std::wstring text_;
    bool tried_ = false;
    bool com_ = false;
    IAccPropServices *services_ = nullptr;
};

} // namespace quenlo
