#pragma once

#include "controls.h"
#include "form.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace quenlo {

// What a window talks to besides its controls; each one left out is the
// real thing (Qt's Open dialog and message boxes over the window). Given
// ones must outlive the window.
struct QtServices {
    MessageService *messages = nullptr;
    FileDialogService *dialogs = nullptr;
};

// A window built with Qt widgets from its stored description: each control
// at its twips (15 to a pixel; Qt scales for high-dpi screens; more where
// the desktop's font is larger than usual, see desktoptextpercent()), in
// tab order, with the font at which every text fits. Enter and Space press
// the focused button, and no button is the window's default. Where the
// description takes dropped files, one local file dropped anywhere on the
// window goes to the code.
class QtForm final : public QWidget, public Controls {
    Q_OBJECT

public:
    explicit QtForm(const FormDescription &description, QtServices services = {}, QWidget *parent = nullptr);
    ~QtForm() override;

    Control &control(ControlId id) override;

    // What the window's code is given: these controls, dialogs and boxes.
    FormContext context();

    // Hands each click on a button, and each file dropped, to `code`, which
    // must outlive the window.
    void attach(FormCode &code);

    // Runs the window's code from an event: an error it leaves untrapped is
    // reported, and the window closes, which ends the program.
    void dispatch(const std::function<void()> &call);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Built {
        std::size_t place; // in the description's list
        const ControlDescription *description;
        QWidget *widget;
        std::unique_ptr<Control> control;
    };
    QWidget *widget(ControlId id) const;

    const std::unique_ptr<MessageService> ownmessages_;
    const std::unique_ptr<FileDialogService> owndialogs_;
    MessageService &messages_;
    FileDialogService &dialogs_;
    std::vector<Built> controls_;
    FormCode *code_ = nullptr;
};

// The text size the desktop's general font asks for, as the platform theme
// gives it to the application, in percent of the size most desktops use by
// default (textpercent()).
int desktoptextpercent();

} // namespace quenlo
