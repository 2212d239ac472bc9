#pragma once

#include "header.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quenlo {

class CommonDialog;
class FileDialogService;
class FileService;
class MessageService;

// What the window talks to; each one left out is the real thing. Given ones
// must outlive the window.
struct WindowServices {
    MessageService *messages = nullptr;
    FileDialogService *dialogs = nullptr;
    FileService *files = nullptr;
};

// The program's one window: Select... chooses a project file, Fix repairs it.
// It keeps the chosen path and the header buffer for as long as it lives.
class frmquenlo : public QWidget {
    Q_OBJECT

public:
    explicit frmquenlo(WindowServices services = {}, QWidget *parent = nullptr);
    ~frmquenlo() override;

    const QString &selectedpath() const { return prjpath; }
    const ProjectHeader &headerbuffer() const { return prjheader; }

private:
    void cmdselect_Click();
    void cmdfix_Click();

    const std::unique_ptr<MessageService> ownmessages_;
    const std::unique_ptr<FileDialogService> owndialogs_;
    MessageService &messages_;
    FileService &files_;

    QPushButton *const cmdselect;
    QLineEdit *const txtinput;
    const std::array<QLabel *, 2> Label1;
    QPushButton *const cmdfix;
    CommonDialog *const cmdialog1;

    QString prjpath;
    ProjectHeader prjheader{};
};

} // namespace quenlo
