#include "filedialogs.h"

#include <QDir>

namespace quenlo {

std::optional<QString> QtFileDialogs::getopenfilename(QWidget *parent, const OpenRequest &request)
{
    QFileDialog dialog(parent, request.title);
    // The filters carry extra patterns (lower-case names) that the user
    // should not see: show each filter's description only.
    dialog.setOptions(options_ | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.nameFilters);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const auto chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen.constFirst());
}

} // namespace quenlo
