// The window as a user meets it: its controls, keys, the selection and the
// Fix command, with the Open dialog and the message boxes scripted.
#include "frmquenlo.h"

#include "error.h"
#include "recordingfiles.h"
#include "scripteddialogs.h"
#include "tempdir.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using quenlo::test::readall;
using quenlo::test::RecordingMessages;
using quenlo::test::ScriptedDialogs;
using quenlo::test::TempDir;

namespace {

struct Harness {
    ScriptedDialogs dialogs;
    RecordingMessages messages;
    quenlo::test::RecordingFiles files;
    quenlo::frmquenlo window{{&messages, &dialogs, &files}};

    QPushButton *cmdselect() const { return window.findChild<QPushButton *>(QStringLiteral("cmdselect")); }
    QPushButton *cmdfix() const { return window.findChild<QPushButton *>(QStringLiteral("cmdfix")); }
    QLineEdit *txtinput() const { return window.findChild<QLineEdit *>(QStringLiteral("txtinput")); }
    QLabel *label1(int index) const
    {
        for (auto *label : window.findChildren<QLabel *>(QStringLiteral("Label1")))
            if (label->property("index").toInt() == index)
                return label;
        return nullptr;
    }

    void select(const QString &path)
    {
        dialogs.answers.emplace_back(path);
        cmdselect()->click();
    }
};

} // namespace

class FrmquenloTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shouldStartWithNothingSelected()
    {
        Harness h;
        QCOMPARE(h.window.windowTitle(), QStringLiteral(" Quenlo"));
        QCOMPARE(h.cmdselect()->text(), QStringLiteral("&Select..."));
        QCOMPARE(h.cmdfix()->text(), QStringLiteral("Fix"));
        QCOMPARE(h.label1(0)->text(), QStringLiteral("MIRD project file name:"));
        QVERIFY(h.label1(1)->text().startsWith(QStringLiteral("After selecting the project file, use the Fix")));
        QVERIFY(h.label1(1)->text().endsWith(QStringLiteral("open the project file with MIRD+ application.")));
        QVERIFY(h.txtinput()->text().isEmpty());
        QVERIFY(h.window.selectedpath().isEmpty());
        QVERIFY(h.cmdselect()->isEnabled());
        QVERIFY(!h.cmdfix()->isEnabled());
        QVERIFY(!h.cmdselect()->isDefault() && !h.cmdfix()->isDefault());
        QCOMPARE(h.window.focusWidget(), h.cmdselect());
        QVERIFY(h.cmdfix()->font().bold());
        QCOMPARE(h.cmdfix()->font().pointSizeF(), 8.25);
        QCOMPARE(h.cmdfix()->font().family(), QStringLiteral("MS Sans Serif"));
        QVERIFY(h.window.findChild<QObject *>(QStringLiteral("cmdialog1")));
    }

    void shouldPlaceEachControlAtFifteenTwipsToAPixel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("cmdselect") << "cmdselect" << -1 << QRect(136, 4, 57, 24);
        QTest::newRow("txtinput") << "txtinput" << -1 << QRect(8, 32, 369, 19);
        QTest::newRow("Label1(0)") << "Label1" << 0 << QRect(8, 10, 112, 13);
        QTest::newRow("cmdfix") << "cmdfix" << -1 << QRect(384, 30, 41, 25);
        QTest::newRow("Label1(1)") << "Label1" << 1 << QRect(16, 56, 328, 26);
    }

    void shouldPlaceEachControlAtFifteenTwipsToAPixel()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QRect, geometry);
        Harness h;
        QWidget *control = index < 0 ? h.window.findChild<QWidget *>(name) : h.label1(index);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(h.window.size(), QSize(429, 87));
    }

    void shouldShowEveryTextUnclipped()
    {
        Harness h;
        const QFontMetrics name(h.label1(0)->font());
        QVERIFY(name.horizontalAdvance(h.label1(0)->text()) <= h.label1(0)->width());
        QVERIFY(name.height() <= h.label1(0)->height());
        auto *instructions = h.label1(1);
        const auto wrapped = QFontMetrics(instructions->font())
                                 .boundingRect(QRect(0, 0, instructions->width(), 1000), Qt::TextWordWrap, instructions->text());
        QVERIFY2(wrapped.height() <= instructions->height(), qPrintable(QString::number(wrapped.height())));
        for (auto *button : {h.cmdselect(), h.cmdfix()}) {
            const auto text = button->text().remove(QLatin1Char('&'));
            QVERIFY(QFontMetrics(button->font()).horizontalAdvance(text) < button->width() - 8);
        }
    }

    void shouldMoveTheFocusInTabOrderSkippingTheLabels()
    {
        Harness h;
        h.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&h.window));
        const auto tab = [&](QWidget *expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget() == expected;
        };
        QCOMPARE(QApplication::focusWidget(), h.cmdselect());
        QVERIFY(tab(h.txtinput()));
        QVERIFY(tab(h.cmdselect())); // Fix is disabled: passed over
        h.select(QStringLiteral("/tmp/A.PRJ"));
        QVERIFY(tab(h.txtinput()));
        QVERIFY(tab(h.cmdfix()));
        QVERIFY(tab(h.cmdselect()));
    }

    void shouldOpenTheDialogFromTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("fromPathBox");
        QTest::newRow("Alt+S") << int(Qt::Key_S) << int(Qt::AltModifier) << false;
        QTest::newRow("Alt+S from the path box") << int(Qt::Key_S) << int(Qt::AltModifier) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << false;
    }

    void shouldOpenTheDialogFromTheKeyboard()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, fromPathBox);
        Harness h;
        h.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&h.window));
        if (fromPathBox)
            h.txtinput()->setFocus();
        h.dialogs.answers.emplace_back(QStringLiteral("/data/KEY.PRJ"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        // An access key presses the button the way a click shows: released
        // a moment later.
        QTRY_COMPARE(h.dialogs.requests.size(), std::size_t(1));
        QCOMPARE(h.window.selectedpath(), QStringLiteral("/data/KEY.PRJ"));
    }

    void shouldIgnoreEscapeAndEnterOutsideTheButtons()
    {
        Harness h;
        h.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&h.window));
        h.txtinput()->setFocus();
        QTest::keyClick(h.txtinput(), Qt::Key_Return);
        QTest::keyClick(h.txtinput(), Qt::Key_Escape);
        QVERIFY(h.dialogs.requests.empty());
        QVERIFY(h.window.isVisible());
    }

    void shouldChangeNothingWhenTheFirstSelectionIsCancelled()
    {
        Harness h;
        h.dialogs.answers.emplace_back(ScriptedDialogs::Cancel{});
        h.cmdselect()->click();
        QVERIFY(h.txtinput()->text().isEmpty());
        QVERIFY(h.window.selectedpath().isEmpty());
        QVERIFY(!h.cmdfix()->isEnabled());
        QVERIFY(h.messages.shown.empty());
    }

    void shouldKeepPathWhenDialogIsCancelled()
    {
        Harness h;
        h.select(QStringLiteral("/data/FIRST.PRJ"));
        h.dialogs.answers.emplace_back(ScriptedDialogs::Cancel{});
        h.cmdselect()->click();
        QCOMPARE(h.txtinput()->text(), QStringLiteral("/data/FIRST.PRJ"));
        QCOMPARE(h.window.selectedpath(), QStringLiteral("/data/FIRST.PRJ"));
        QVERIFY(h.cmdfix()->isEnabled());
    }

    void shouldReplaceThePathOnASecondSelection()
    {
        Harness h;
        h.select(QStringLiteral("/data/FIRST.PRJ"));
        h.select(QStringLiteral("/data/SECOND.PRJ"));
        QCOMPARE(h.txtinput()->text(), QStringLiteral("/data/SECOND.PRJ"));
        QCOMPARE(h.window.selectedpath(), QStringLiteral("/data/SECOND.PRJ"));
    }

    void shouldReopenTheDialogOnThePreviousNameWithItsTitleAndFilter()
    {
        Harness h;
        h.select(QStringLiteral("/data/FIRST.PRJ"));
        h.select(QStringLiteral("/data/SECOND.PRJ"));
        QCOMPARE(h.dialogs.requests.size(), std::size_t(2));
        QVERIFY(h.dialogs.requests[0].fileName.isEmpty());
        QCOMPARE(h.dialogs.requests[1].fileName, QStringLiteral("/data/FIRST.PRJ"));
        for (const auto &request : h.dialogs.requests) {
            QCOMPARE(request.title, QStringLiteral("Open Project"));
            QCOMPARE(request.nameFilters,
                     QStringList{QStringLiteral("MIRD 8.86/8203, 8.88/8203 project files (*.PRJ) (*.PRJ *.prj)")});
        }
    }

    // A dialog that fails for another reason than a cancel does not stop
    // the selection: the name it holds is still taken and Fix lit up.
    void shouldCopyTheDialogsNameWhenTheDialogFails_data()
    {
        QTest::addColumn<QString>("earlier");
        QTest::newRow("first use: empty name") << QString();
        QTest::newRow("earlier name kept") << QStringLiteral("/data/EARLIER.PRJ");
    }

    void shouldCopyTheDialogsNameWhenTheDialogFails()
    {
        QFETCH(QString, earlier);
        Harness h;
        if (!earlier.isEmpty())
            h.select(earlier);
        h.dialogs.answers.emplace_back(quenlo::Error(32765, {}, "dialog failed"));
        h.cmdselect()->click();
        QCOMPARE(h.txtinput()->text(), earlier);
        QCOMPARE(h.window.selectedpath(), earlier);
        QVERIFY(h.cmdfix()->isEnabled());
        QVERIFY(h.messages.shown.empty());
    }

    void shouldFixTheSelectedFileNotTheEditedText()
    {
        TempDir dir;
        const auto chosen = dir.write("CHOSEN.PRJ", "/8203 chosen");
        const auto typed = dir.write("TYPED.PRJ", "/8203 typed");
        Harness h;
        h.select(QString::fromStdString(chosen));
        h.txtinput()->setText(QString::fromStdString(typed));

        h.cmdfix()->click();

        QCOMPARE(readall(chosen), std::string("/8202 chosen"));
        QCOMPARE(readall(typed), std::string("/8203 typed"));
    }

    void shouldReportSuccessThenInvalidVersionWhenFixedTwice()
    {
        TempDir dir;
        const auto path = dir.write("GOOD.PRJ", "MIRD /8203 and the rest");
        Harness h;
        h.select(QString::fromStdString(path));

        h.cmdfix()->click();
        h.cmdfix()->click();

        QCOMPARE(readall(path), std::string("MIRD /8202 and the rest"));
        QCOMPARE(h.messages.shown.size(), std::size_t(2));
        QCOMPARE(h.messages.shown[0].text, std::string("Project file successfully fixed."));
        QCOMPARE(h.messages.shown[1].text, std::string("Invalid MIRD Project file version."));
        for (const auto &shown : h.messages.shown) {
            QCOMPARE(shown.title, std::string("Fix Result"));
            QVERIFY(!shown.error);
        }
        QVERIFY(h.cmdfix()->isEnabled());
        QCOMPARE(std::string(h.window.headerbuffer().data(), 10), std::string("MIRD /8202"));
    }

    // A disk that fails while the header is written or flushed: no outcome
    // is shown, only the failure, and the file is whole or exactly fixed.
    void shouldReportAFailingDiskWithoutAnOutcome_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("after");
        QTest::newRow("read") << "read" << "/8203 disk";
        QTest::newRow("write") << "write" << "/8203 disk";
        QTest::newRow("flush") << "flush" << "/8202 disk";
    }

    void shouldReportAFailingDiskWithoutAnOutcome()
    {
        QFETCH(QString, call);
        QFETCH(QString, after);
        TempDir dir;
        const auto path = dir.write("DISK.PRJ", "/8203 disk");
        Harness h;
        h.files.fault = quenlo::test::RecordingFiles::Fault{call.toStdString(), 5};
        h.select(QString::fromStdString(path));

        h.cmdfix()->click();

        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.shown[0].error);
        QVERIFY(h.messages.shown[0].text.find("cannot " + call.toStdString()) != std::string::npos);
        QCOMPARE(readall(path), after.toStdString());
        QVERIFY(h.cmdfix()->isEnabled());
    }

    // The file went away between the selection and Fix: the failure is
    // reported, nothing is created, and the window goes on as it was.
    void shouldReportAnErrorInFixAndStayOpen()
    {
        TempDir dir;
        const auto path = dir.write("GONE.PRJ", "/8203");
        Harness h;
        h.window.show();
        h.select(QString::fromStdString(path));
        std::filesystem::remove(path);

        h.cmdfix()->click();

        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.shown[0].error);
        QCOMPARE(h.messages.shown[0].title, std::string("Quenlo"));
        QCOMPARE(h.messages.shown[0].text.rfind("The project file could not be fixed.\n\n" + path + ": ", 0), 0u);
        QVERIFY(h.messages.shown[0].text.find("(error 2)") != std::string::npos);
        QVERIFY(h.messages.shown[0].text.find("No such file or directory") != std::string::npos);
        QVERIFY(!std::filesystem::exists(path));
        QVERIFY(h.window.isVisible());
        QCOMPARE(h.window.selectedpath(), QString::fromStdString(path));
        QVERIFY(h.cmdfix()->isEnabled());

        const auto next = dir.write("NEXT.PRJ", "/8203");
        h.select(QString::fromStdString(next));
        h.cmdfix()->click();
        QCOMPARE(h.messages.shown.back().text, std::string("Project file successfully fixed."));
    }
};

QTEST_MAIN(FrmquenloTest)
#include "frmquenlo_test.moc"
