#include "filedialogs.h"

#include <QDir>
#include <QFile>

namespace quenlo {

QStringList qtnamefilters(const std::vector<FileFilter> &filters)
{
    QStringList result;
    for (const auto &filter : filters) {
        QStringList patterns;
        for (const auto &pattern : filter.patterns) {
            const auto given = QString::fromStdString(pattern);
            patterns << given;
            if (given.toLower() != given)
                patterns << given.toLower();
        }
        result << QString::fromStdString(filter.description) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

std::optional<std::string> QtFileDialogs::getopenfilename(const OpenRequest &request)
{
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    // The filters carry extra patterns (lower-case names) that the user
    // should not see: show each filter's description only.
    dialog.setOptions(options_ | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(qtnamefilters(request.filters));
    if (!request.fileName.empty())
        dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(request.fileName)));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const auto chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QFile::encodeName(QDir::toNativeSeparators(chosen.constFirst())).toStdString();
}

} // namespace quenlo
