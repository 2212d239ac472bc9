#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace quenlo {

class FileDialogService;

// The window's Open-file dialog object. It keeps its settings and the
// chosen file name between uses, so each showing starts on the last name.
//   CancelError  when set, a cancel raises an Error numbered kCancelError
//   DialogTitle  the dialog's title
//   Filter       "description|pattern[|description|pattern...]"; several
//                patterns in one entry are separated by ';'
//   FileName     the full path chosen last
class CommonDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool CancelError READ cancelError WRITE setCancelError)
    Q_PROPERTY(QString DialogTitle READ dialogTitle WRITE setDialogTitle)
    Q_PROPERTY(QString Filter READ filter WRITE setFilter)
    Q_PROPERTY(QString FileName READ fileName WRITE setFileName)

public:
    // The action code that shows the Open dialog.
    static constexpr int kShowOpen = 1;

    // `dialogs` shows the dialog over `parent`; both must outlive this object.
    CommonDialog(FileDialogService &dialogs, QWidget *parent);

    bool cancelError() const { return cancelerror_; }
    void setCancelError(bool on) { cancelerror_ = on; }
    QString dialogTitle() const { return title_; }
    void setDialogTitle(const QString &title) { title_ = title; }
    QString filter() const { return filter_; }
    void setFilter(const QString &filter);
    QString fileName() const { return filename_; }
    void setFileName(const QString &name) { filename_ = name; }

    // Runs an action; only kShowOpen is known. Throws quenlo::Error on a
    // cancel (with CancelError set) and when the dialog fails.
    void setAction(int code);

    // Filter turned into Qt's name filters. Each pattern also matches
    // lower-case names, for file systems that tell case apart.
    QStringList nameFilters() const;

private:
    FileDialogService &dialogs_;
    QWidget *parent_;
    bool cancelerror_ = false;
    QString title_;
    QString filter_;
    QString filename_;
};

} // namespace quenlo
