#include "win32form.h"

#include "error.h"
#include "report.h"
#include "twips.h"
#include "utf16.h"
#include "win32controls.h"
#include "win32dialogs.h"
#include "win32messageboxes.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

namespace quenlo {

namespace {

constexpr wchar_t kClassName[] = L"QuenloForm";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr int kFirstId = 100; // clear of IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Esc
constexpr UINT kShownMessage = WM_APP + 1;
// What Windows' message font and Text size are by default: Segoe UI at 9
// points, 100 percent.
constexpr double kUsualMessagePoints = 9.0;
// The message with which a drop reaches a program that runs elevated,
// beside WM_DROPFILES and WM_COPYDATA.
constexpr UINT kCopyGlobalData = 0x0049;

// The window's own face: the first the system has.
const std::array<std::wstring, 6> kWindowFaces{L"Microsoft Sans Serif", L"Tahoma", L"Liberation Sans",
                                               L"Arimo", L"DejaVu Sans Condensed", L"DejaVu Sans"};
constexpr double kWindowPoints = 8.0;

// Room a push button keeps between its frame and its text, at 96 dpi.
constexpr int kButtonPadding = 4;

[[noreturn]] void failed(const char *what)
{
    throw Error(static_cast<int>(::GetLastError()), {}, what);
}

struct ChildClass {
    const wchar_t *name;
    DWORD style;
    DWORD exstyle;
};

ChildClass childclass(const ControlDescription &control)
{
    switch (control.kind) {
    case ControlKind::CommandButton:
        return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::TextBox:
        return {WC_EDITW, DWORD{WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL} | (control.readonly ? DWORD{ES_READONLY} : 0),
                WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        break;
    }
    return {WC_STATICW, DWORD{SS_NOPREFIX} | (control.wrap ? DWORD{SS_LEFT} : DWORD{SS_LEFTNOWORDWRAP}), 0};
}

// The text of the label that describes the window, if one does.
std::wstring descriptiontext(const FormDescription &form)
{
    for (const auto &control : form.controls)
        if (control.describesform)
            return win::toutf16(control.text, win::LoneSurrogate::refuse, "a control's text");
    return {};
}

} // namespace

Win32Form::Win32Form(const FormDescription &description)
    : description_(description)
{
    const std::wstring caption = win::toutf16(description.caption, win::LoneSurrogate::refuse, "the window's caption");
    if (!create(kClassName, caption.c_str(), kStyle, kExStyle))
        failed("cannot create the window");
    messages_ = std::make_unique<Win32MessageBoxes>(window());
    dialogs_ = std::make_unique<Win32FileDialogs>(window());
    if (description.takesdroppedfiles) {
        ::DragAcceptFiles(window(), TRUE);
        // Run as administrator, the window still takes a drop from Explorer,
        // which runs as the user, where Windows lets it.
        for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData})
            ::ChangeWindowMessageFilterEx(window(), message, MSGFLT_ALLOW, nullptr);
    }
    textpercent_ = systemtextpercent();
    toolsdescription_ = std::make_unique<WindowDescription>(descriptiontext(description));
    build();
    dpi_ = static_cast<int>(::GetDpiForWindow(window()));
    RECT placed{};
    ::GetWindowRect(window(), &placed);
    layout(dpi_, {placed.left, placed.top});
}

Win32Form::~Win32Form()
{
    if (window())
        ::DestroyWindow(window());
}


void Win32Form::build()
{
    // Labels take no focus, so the tab order of the controls that do is
    // unchanged by the order of reading.
    const auto order = readingorder(description_);
    for (const std::size_t i : order) {
        const auto &control = description_.controls[i];
        const auto kind = childclass(control);
        const int id = kFirstId + static_cast<int>(i);
        const std::wstring text = win::toutf16(control.text, win::LoneSurrogate::refuse, "a control's text");
        const HWND child = ::CreateWindowExW(
            kind.exstyle, kind.name, text.c_str(),
            WS_CHILD | WS_VISIBLE | kind.style | (control.enabled ? 0 : WS_DISABLED), 0, 0, 0, 0, window(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
        if (!child)
            failed("cannot create a control of the window");
        if (control.kind == ControlKind::TextBox)
            ::SendMessageW(child, EM_SETLIMITTEXT, 0, 0); // as long as the longest path
        controls_.push_back({i, &control, child, id, std::make_unique<WindowControl>(child)});
    }
    face_ = [&] {
        const HDC dc = ::GetDC(window());
        auto face = availableface(dc, kWindowFaces);
        ::ReleaseDC(window(), dc);
        return face;
    }();
}

int systemtextpercent()
{
    int percent = 100;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, 96))
        percent = textpercent(std::abs(metrics.lfMessageFont.lfHeight) * 72.0 / 96, kUsualMessagePoints);
    DWORD scale = 0;
    DWORD size = sizeof scale;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", RRF_RT_REG_DWORD,
                       nullptr, &scale, &size)
        == ERROR_SUCCESS)
        percent = std::max(percent, textpercent(scale, 100));
    return percent;
}

// `dpi` is the screen's; the window is laid out at more where the user asked
// for larger text.
void Win32Form::layout(int screendpi, POINT topleft)
{
    dpi_ = screendpi;
    const int dpi = scaleddpi(screendpi, textpercent_);
    const int padding = ::MulDiv(kButtonPadding, dpi, 96);
    std::vector<TextBox> boxes;
    for (const auto &built : controls_) {
        const auto &control = *built.description;
        if (control.font || control.kind == ControlKind::TextBox)
            continue;
        const bool button = control.kind == ControlKind::CommandButton;
        boxes.push_back({win::toutf16(control.text, win::LoneSurrogate::refuse, "a control's text"),
                         pixels(control.width, dpi), pixels(control.height, dpi), control.wrap, button ? padding : 0,
                         button});
    }
    const HDC dc = ::GetDC(window());
    windowfont_ = fittingfont(dc, face_, kWindowPoints, dpi, boxes);
    // A label that wraps shows the lines the font was fitted to.
    const HGDIOBJ old = ::SelectObject(dc, windowfont_.get());
    for (const auto &built : controls_) {
        const auto &control = *built.description;
        if (control.kind != ControlKind::Label || !control.wrap || control.font)
            continue;
        const int width = pixels(control.width, dpi);
        const std::wstring text = win::toutf16(control.text, win::LoneSurrogate::refuse, "a control's text");
        const auto lines = wrapwords(dc, text, width - width / 20, DT_NOPREFIX);
        if (!lines)
            continue;
        std::wstring shown;
        for (const auto &line : *lines)
            shown += (shown.empty() ? L"" : L"\r\n") + line;
        ::SetWindowTextW(built.window, shown.c_str());
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(window(), dc);

    ownfonts_.clear();
    for (const auto &built : controls_) {
        const auto &control = *built.description;
        HFONT font = windowfont_.get();
        if (control.font) {
            const std::wstring face = win::toutf16(control.font->face, win::LoneSurrogate::refuse, "a font's name");
            ownfonts_.push_back(makefont(faceatdpi(face, dpi), control.font->points, control.font->bold, dpi));
            font = ownfonts_.back().get();
        }
        const auto box = pixels(control.left, control.top, control.width, control.height, dpi);
        ::SetWindowPos(built.window, nullptr, box.left, box.top, box.width, box.height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(built.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }

    const SIZE client{pixels(description_.width, dpi), pixels(description_.height, dpi)};
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, static_cast<UINT>(screendpi));
    SIZE outer{frame.right - frame.left, frame.bottom - frame.top};
    ::SetWindowPos(window(), nullptr, topleft.x, topleft.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame drawn may differ from the one computed for `dpi` (a caption
    // still at the old DPI, a wrapped menu...): size by the client area got.
    RECT got{};
    ::GetClientRect(window(), &got);
    if (got.right != client.cx || got.bottom != client.cy) {
        outer.cx += client.cx - got.right;
        outer.cy += client.cy - got.bottom;
        ::SetWindowPos(window(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
}

Control &Win32Form::control(ControlId id)
{
    if (const auto *built = findbuilt(controls_, id))
        return *built->control;
    throw ProgrammingError(std::string(description_.name),
                           "the window has no control number " + std::to_string(id.place));
}

HWND Win32Form::childwindow(std::string_view name, int index) const
{
    const auto place = placeof(description_.controls, name, index);
    const auto *built = place ? findbuilt(controls_, ControlId{*place}) : nullptr;
    return built ? built->window : nullptr;
}

FormContext Win32Form::context()
{
    return {*this, *dialogs_, *messages_};
}

HWND Win32Form::firstfocus() const
{
    for (const auto &built : controls_)
        if ((::GetWindowLongW(built.window, GWL_STYLE) & WS_TABSTOP) && ::IsWindowEnabled(built.window))
            return built.window;
    return nullptr;
}

int Win32Form::run(int show)
{
    lastfocus_ = firstfocus();
    ::ShowWindow(window(), show);
    ::UpdateWindow(window());
    if (lastfocus_)
        ::SetFocus(lastfocus_);
    ::PostMessageW(window(), kShownMessage, 0, 0);
    MSG message{};
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            failed("cannot read the window's messages");
        // Tab, Shift+Tab, access keys, Enter and Space as in a dialog.
        if (window() && ::IsDialogMessageW(window(), &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// IsDialogMessage asks the window for its default button when Enter is
// pressed, and presses what it is told, or the control numbered IDOK when
// there is none. The answer is the focused push button, so Enter presses
// that one, and otherwise nothing: no button is the window's default.
LRESULT Win32Form::defaultbutton() const
{
    const HWND focus = ::GetFocus();
    for (const auto &built : controls_)
        if (built.window == focus && built.description->kind == ControlKind::CommandButton && ::IsWindowEnabled(focus))
            return MAKELRESULT(built.id, DC_HASDEFID);
    return 0;
}

void Win32Form::click(int id)
{
    for (const auto &built : controls_)
        if (built.id == id && built.description->kind == ControlKind::CommandButton && code_)
            dispatch([&] { code_->click(ControlId{built.place}); });
}

// Nothing may be thrown through the system's code that called the window
// procedure: an error the window's code left untrapped is reported, and it
// ends the program.
void Win32Form::dispatch(const std::function<void()> &call)
{
    if (!reportuntrapped(call, *messages_, "Quenlo"))
        ::DestroyWindow(window());
}

namespace {

// The one file, not a folder, of a drop, as UTF-8; nothing for several.
std::optional<std::string> droppedfile(HDROP drop)
{
    if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1)
        return std::nullopt;
    std::wstring name(::DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
    name.resize(::DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size())));
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (name.empty() || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
        return std::nullopt;
    return win::toutf8(name, win::LoneSurrogate::keep);
}

} // namespace

// WM_DROPFILES gives no say over the cursor, which showed that a drop is
// taken: a drop the window refuses (several files, a folder, or while a
// dialog or message box is up) beeps instead.
void Win32Form::dropfiles(HDROP drop)
{
    const auto path = droppedfile(drop);
    ::DragFinish(drop);
    if (!path || !code_ || !::IsWindowEnabled(window())) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    dispatch([&] { code_->dropped(*path); });
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
        // lparam is 0 for IDOK or IDCANCEL sent by IsDialogMessage for an
        // Enter or Esc that no button takes: nothing to do.
        if (lparam != 0 && HIWORD(wparam) == BN_CLICKED)
            click(LOWORD(wparam));
        return 0;
    case DM_GETDEFID:
        return defaultbutton();
    case WM_ACTIVATE:
        // Keep the focus on the control that had it while a dialog or
        // message box was in front.
        if (LOWORD(wparam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(window(), focus))
                lastfocus_ = focus;
        } else if (lastfocus_ && ::IsWindowEnabled(lastfocus_)) {
            ::SetFocus(lastfocus_);
            return 0;
        }
        break;
    case WM_DROPFILES:
        dropfiles(reinterpret_cast<HDROP>(wparam));
        return 0;
    case kShownMessage:
        if (code_)
            dispatch([&] { code_->shown(); });
        return 0;
    case WM_SETTINGCHANGE:
        if (const int percent = systemtextpercent(); percent != textpercent_) {
            textpercent_ = percent;
            RECT placed{};
            ::GetWindowRect(window(), &placed);
            layout(dpi_, {placed.left, placed.top});
        }
        break;
    case WM_DPICHANGED: {
        const auto *suggested = reinterpret_cast<const RECT *>(lparam);
        layout(HIWORD(wparam), {suggested->left, suggested->top});
        return 0;
    }
    case WM_GETOBJECT:
        toolsdescription_->annotate(window());
        break;
    case WM_DESTROY:
        toolsdescription_->clear(window());
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window(), message, wparam, lparam);
}

} // namespace quenlo
