// The dialog object over Qt's real (non-native) file dialog, driven as a
// user would: it must carry the title and filter, start on the last name,
// take a name typed in, and raise the cancel error.
#include "commondialog.h"

#include "error.h"
#include "filedialogs.h"
#include "tempdir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

using quenlo::test::TempDir;

namespace {

// Runs `drive` on the file dialog once it is up; a dialog that never comes
// or is left open is rejected after a few seconds, so nothing hangs.
void whenthedialogisup(QObject *context, const std::function<void(QFileDialog &)> &drive)
{
    auto *poll = new QTimer(context);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, context, [poll, started, drive] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            poll->deleteLater();
            poll->stop();
            drive(*dialog);
        } else if (started->elapsed() > 5000) {
            poll->stop();
            if (auto *modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    poll->start(20);
}

QStringList shownnames(QFileDialog &dialog)
{
    QStringList names;
    auto *list = dialog.findChild<QAbstractItemView *>(QStringLiteral("listView"));
    if (!list)
        return names;
    const auto root = list->rootIndex();
    for (int row = 0; row < list->model()->rowCount(root); ++row)
        names << list->model()->index(row, 0, root).data().toString();
    return names;
}

} // namespace

class CommonDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shouldChooseATypedNameInTheRealDialog()
    {
        TempDir dir;
        const auto first = QString::fromStdString(dir.write("FIRST.PRJ", "/8203"));
        dir.write("lower.prj", "/8203");
        dir.write("OTHER.TXT", "text");
        QWidget window;
        quenlo::QtFileDialogs dialogs(&window, QFileDialog::DontUseNativeDialog);
        quenlo::CommonDialog cmdialog1(dialogs);
        cmdialog1.setCancelError(true);
        cmdialog1.setDialogTitle("Open Project");
        cmdialog1.setFilter("MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)|*.PRJ");
        cmdialog1.setFileName(first.toStdString());

        QString title, filter, startedon;
        QStringList names;
        whenthedialogisup(&window, [&](QFileDialog &dialog) {
            title = dialog.windowTitle();
            filter = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText();
            startedon = dialog.selectedFiles().value(0);
            QTRY_VERIFY_WITH_TIMEOUT(shownnames(dialog).size() >= 2, 3000);
            names = shownnames(dialog);
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, QStringLiteral("NEW.PRJ"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        cmdialog1.setAction(quenlo::CommonDialog::kShowOpen);

        QCOMPARE(title, QStringLiteral("Open Project"));
        QCOMPARE(filter, QStringLiteral("MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)"));
        QCOMPARE(QDir::cleanPath(startedon), QDir::cleanPath(first));
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("FIRST.PRJ"), QStringLiteral("lower.prj")}));
        const auto typed = QDir::toNativeSeparators(QString::fromStdString((dir.path() / "NEW.PRJ").string()));
        QCOMPARE(QString::fromStdString(cmdialog1.fileName()), typed);
    }

    void shouldRaiseTheCancelErrorAndKeepTheNameWhenTheRealDialogIsCancelled()
    {
        QWidget window;
        quenlo::QtFileDialogs dialogs(&window, QFileDialog::DontUseNativeDialog);
        quenlo::CommonDialog cmdialog1(dialogs);
        cmdialog1.setCancelError(true);
        cmdialog1.setFileName("/tmp/KEPT.PRJ");

        whenthedialogisup(&window, [](QFileDialog &dialog) { dialog.reject(); });
        try {
            cmdialog1.setAction(quenlo::CommonDialog::kShowOpen);
            QFAIL("no cancel error");
        } catch (const quenlo::Error &error) {
            QCOMPARE(error.number(), quenlo::kCancelError);
        }
        QCOMPARE(cmdialog1.fileName(), std::string("/tmp/KEPT.PRJ"));
    }
};

QTEST_MAIN(CommonDialogTest)
#include "commondialog_test.moc"
