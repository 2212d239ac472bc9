#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quenlo {

// What the Open dialog is shown with.
struct OpenRequest {
    QString title;
    QStringList nameFilters; // Qt's form: "Description (*.a *.b)"
    QString fileName;        // the name it starts on
};

// Shows file dialogs. The window's own is QtFileDialogs; tests put a
// scripted one in its place so that nothing blocks.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;

    // Shows a modal Open dialog. Returns the full path of the chosen file,
    // or nothing when the user cancelled. Throws quenlo::Error when the
    // dialog cannot be shown.
    virtual std::optional<QString> getopenfilename(QWidget *parent, const OpenRequest &request) = 0;
};

// Qt's own file dialog. The chosen file need not exist; one file only.
class QtFileDialogs final : public FileDialogService {
public:
    explicit QtFileDialogs(QFileDialog::Options options = {})
        : options_(options)
    {
    }
    std::optional<QString> getopenfilename(QWidget *parent, const OpenRequest &request) override;

private:
    QFileDialog::Options options_;
};

} // namespace quenlo
