#pragma once

#include "filedialog.h"

#include <QFileDialog>
#include <QStringList>

class QWidget;

namespace quenlo {

// The file types as Qt's name filters ("Description (*.a *.b)"). Each
// pattern also matches lower-case names, for file systems that tell case
// apart.
QStringList qtnamefilters(const std::vector<FileFilter> &filters);

// Qt's own Open dialog, modal to `parent`. The chosen file need not exist;
// one file only.
class QtFileDialogs final : public FileDialogService {
public:
    explicit QtFileDialogs(QWidget *parent, QFileDialog::Options options = {})
        : parent_(parent)
        , options_(options)
    {
    }
    std::optional<std::string> getopenfilename(const OpenRequest &request) override;

private:
    QWidget *parent_;
    QFileDialog::Options options_;
};

} // namespace quenlo
