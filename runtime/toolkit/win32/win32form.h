#pragma once

#include "basewindow.h"
#include "win32accessible.h"
#include "controls.h"
#include "form.h"
#include "win32fonts.h"

#include <shellapi.h>

#include <functional>
#include <memory>
#include <vector>

namespace quenlo {

// A window built with Win32 child windows (BUTTON, EDIT, STATIC) from its
// stored description: each control at its twips in pixels at the window's
// DPI, times the text size the user asked for (systemtextpercent()), laid
// out again when either changes; tab order as described; the font at which
// every text fits. Enter and Space press the focused button, and no button
// is the window's default. Where the description takes dropped files, one
// file dropped on the window goes to the code. Its Open dialog and message
// boxes are owned by the window.
class Win32Form final : public BaseWindow<Win32Form>, public Controls {
public:
    // Throws quenlo::Error when the window cannot be created.
    explicit Win32Form(const FormDescription &description);
    ~Win32Form() override;

    Control &control(ControlId id) override;

    // The child window of the control named `name`, or nullptr.
    HWND childwindow(std::string_view name, int index = -1) const;

    // What the window's code is given: these controls, dialogs and boxes.
    FormContext context();

    // Hands each click on a button to `code`, which must outlive the window.
    void attach(FormCode &code) { code_ = &code; }

    // Shows the window with the focus on its first control, tells the code
    // it is shown, and dispatches messages until it is closed; returns the
    // exit status.
    int run(int show);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    struct Built {
        std::size_t place; // in the description's list
        const ControlDescription *description;
        HWND window;
        int id;
        std::unique_ptr<Control> control;
    };

    void build();
    void layout(int dpi, POINT topleft);
    void click(int id);
    void dispatch(const std::function<void()> &call);
    void dropfiles(HDROP drop);
    LRESULT defaultbutton() const;
    HWND firstfocus() const;

    const FormDescription &description_;
    std::vector<Built> controls_;
    std::wstring face_;
    Font windowfont_;
    std::vector<Font> ownfonts_;
    std::unique_ptr<MessageService> messages_;
    std::unique_ptr<FileDialogService> dialogs_;
    FormCode *code_ = nullptr;
    HWND lastfocus_ = nullptr;
    int dpi_ = 96;
    int textpercent_ = 100;
    std::unique_ptr<WindowDescription> toolsdescription_;
};

// The text size the user asked Windows for, in percent of the usual: the
// larger of what the message font (Settings, or Wine's registry) and the
// "Text size" accessibility setting ask for, at least 100.
int systemtextpercent();

} // namespace quenlo
