#pragma once

#include "win32api.h"

namespace quenlo {

// A top-level window as a C++ object: the class's one window procedure finds
// the object in the window's GWLP_USERDATA, put there when the window is
// created, and hands each message to its HandleMessage.
template <class Derived>
class BaseWindow {
public:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        Derived *object = nullptr;
        if (message == WM_NCCREATE) {
            object = static_cast<Derived *>(reinterpret_cast<CREATESTRUCTW *>(lparam)->lpCreateParams);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        } else {
            object = reinterpret_cast<Derived *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        BaseWindow *self = object;
        if (message == WM_NCCREATE && self)
            self->window_ = window;
        if (!self)
            return ::DefWindowProcW(window, message, wparam, lparam);
        const LRESULT result = self->HandleMessage(message, wparam, lparam);
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
        }
        return result;
    }

    HWND window() const { return window_; }

protected:
    BaseWindow() = default;
    // The derived class destroys its window in its own destructor, while
    // HandleMessage can still reach it.
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow &) = delete;
    BaseWindow &operator=(const BaseWindow &) = delete;

    // Registers the class `name` once and creates its window; false when
    // either fails (GetLastError() tells why).
    bool create(const wchar_t *name, const wchar_t *caption, DWORD style, DWORD exstyle = 0)
    {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowclass{};
        if (!::GetClassInfoExW(instance, name, &windowclass)) {
            windowclass = WNDCLASSEXW{};
            windowclass.cbSize = sizeof windowclass;
            windowclass.lpfnWndProc = Derived::WindowProc;
            windowclass.hInstance = instance;
            windowclass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            windowclass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            windowclass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
            windowclass.lpszClassName = name;
            if (!::RegisterClassExW(&windowclass))
                return false;
        }
        return ::CreateWindowExW(exstyle, name, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, nullptr, nullptr, instance, static_cast<Derived *>(this))
               != nullptr;
    }

    virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;

private:
    HWND window_ = nullptr;
};

} // namespace quenlo
