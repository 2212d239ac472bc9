// The floor for the start of quenlo.exe: a bare Win32 window of the same
// client size and nothing else, built the same way (mingw-w64, static, GUI
// subsystem, the same manifest).
#include <windows.h>

namespace {

LRESULT CALLBACK windowproc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    WNDCLASSEXW windowclass{};
    windowclass.cbSize = sizeof windowclass;
    windowclass.lpfnWndProc = windowproc;
    windowclass.hInstance = instance;
    windowclass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowclass.lpszClassName = L"Bare";
    ::RegisterClassExW(&windowclass);
    RECT frame{0, 0, 429, 87};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const HWND window = ::CreateWindowExW(0, L"Bare", L" Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                          instance, nullptr);
    ::ShowWindow(window, show);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
