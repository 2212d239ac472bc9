#pragma once

#include "filedialog.h"
#include "form.h"
#include "messagebox.h"

#include <memory>
#include <string>
#include <string_view>

namespace quenlo {

// A control of a built window, as the window's code reaches it. Texts are
// UTF-8; a change shows at once.
class Control {
public:
    virtual ~Control() = default;
    virtual std::string text() const = 0;
    virtual void settext(std::string_view text) = 0;
    virtual bool enabled() const = 0;
    virtual void setenabled(bool on) = 0;
};

// The controls of a built window, as its code names them (controlid()).
// Asking for one the window does not have is a fault of the program: it
// throws ProgrammingError.
class Controls {
public:
    virtual ~Controls() = default;
    virtual Control &control(ControlId id) = 0;
};

// A window's own code: the run-time hands it each click on a control, and
// what else happens to the window as a whole.
class FormCode {
public:
    virtual ~FormCode() = default;
    virtual void click(ControlId control) = 0;

    // Once, from the event loop, as soon as the window is first shown.
    virtual void shown() {}

    // A file dropped on a window whose description takes dropped files: its
    // full path, a local file and only one.
    virtual void dropped(const std::string &) {}
};

// What the run-time gives a window's code: its controls, and the dialogs and
// message boxes owned by the window. All of them live as long as the window.
struct FormContext {
    Controls &controls;
    FileDialogService &dialogs;
    MessageService &messages;
};

} // namespace quenlo
