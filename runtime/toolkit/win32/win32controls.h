#pragma once

#include "controls.h"

#include "win32api.h"

namespace quenlo {

// A child window with a text (a button, an edit box or a label) as the
// window's code reaches it.
class WindowControl final : public Control {
public:
    explicit WindowControl(HWND window)
        : window_(window)
    {
    }
    std::string text() const override;
    void settext(std::string_view text) override;
    bool enabled() const override { return ::IsWindowEnabled(window_) != FALSE; }
    void setenabled(bool on) override { ::EnableWindow(window_, on ? TRUE : FALSE); }

private:
    HWND window_;
};

} // namespace quenlo
