#include "commondialog.h"

#include "error.h"
#include "filedialogs.h"

#include <QWidget>

namespace quenlo {

namespace {

// The number for an argument the dialog object cannot take.
constexpr int kInvalidArgument = 5;

[[noreturn]] void invalid(const QString &what)
{
    throw Error(kInvalidArgument, {}, what.toStdString());
}

} // namespace

CommonDialog::CommonDialog(FileDialogService &dialogs, QWidget *parent)
    : QObject(parent)
    , dialogs_(dialogs)
    , parent_(parent)
{
}

void CommonDialog::setFilter(const QString &filter)
{
    if (filter.split(QLatin1Char('|')).size() % 2 != 0)
        invalid(QStringLiteral("invalid filter: a description without a pattern"));
    filter_ = filter;
}

QStringList CommonDialog::nameFilters() const
{
    QStringList result;
    const auto parts = filter_.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const auto &pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << pattern.trimmed();
            if (pattern.toLower() != pattern)
                patterns << pattern.trimmed().toLower();
        }
        result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return result;
}

void CommonDialog::setAction(int code)
{
    if (code != kShowOpen)
        invalid(QStringLiteral("unknown dialog action %1").arg(code));
    const auto chosen = dialogs_.getopenfilename(parent_, OpenRequest{title_, nameFilters(), filename_});
    if (chosen) {
        filename_ = *chosen;
        return;
    }
    if (cancelerror_)
        throw Error(kCancelError, {}, "Cancel was selected.");
}

} // namespace quenlo
