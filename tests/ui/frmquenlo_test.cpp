// The window as Qt builds it and a user meets it: its controls, fonts,
// keys and assistive names, with the Open dialog and the message boxes
// scripted.
#include "frmquenlo.h"

#include "qtform.h"
#include "recordingfiles.h"
#include "scripteddialogs.h"
#include "tempdir.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include <QDir>

#include <filesystem>

using quenlo::test::RecordingMessages;
using quenlo::test::ScriptedDialogs;
using quenlo::test::TempDir;

namespace {

struct Harness {
    ScriptedDialogs dialogs;
    RecordingMessages messages;
    quenlo::test::RecordingFiles files;
    quenlo::QtForm window{quenlo::frmquenlo::description(), {&messages, &dialogs}};
    quenlo::frmquenlo form{window.context(), files};

    Harness() { window.attach(form); }

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

    void select(const std::string &path)
    {
        dialogs.answers.emplace_back(path);
        cmdselect()->click();
    }

    void showactive()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

QString accessiblename(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

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
        QVERIFY(h.form.selectedpath().empty());
        QVERIFY(h.cmdselect()->isEnabled());
        QVERIFY(!h.cmdfix()->isEnabled());
        QVERIFY(!h.cmdselect()->isDefault() && !h.cmdfix()->isDefault());
        QCOMPARE(h.window.focusWidget(), h.cmdselect());
        QVERIFY(h.cmdfix()->font().bold());
        QCOMPARE(h.cmdfix()->font().pointSizeF(), 8.25);
        QCOMPARE(h.cmdfix()->font().family(), QStringLiteral("MS Sans Serif"));
    }

    void shouldShowTheProgramsIconInTheSizesAWindowUses()
    {
        Harness h;
        const auto sizes = h.window.windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(48, 48)));
        QVERIFY(!sizes.contains(QSize(256, 256)));
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
        h.showactive();
        const auto tab = [&](QWidget *expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget() == expected;
        };
        QCOMPARE(QApplication::focusWidget(), h.cmdselect());
        QVERIFY(tab(h.txtinput()));
        QVERIFY(tab(h.cmdselect())); // Fix is disabled: passed over
        h.select("/tmp/A.PRJ");
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
        h.showactive();
        if (fromPathBox)
            h.txtinput()->setFocus();
        h.dialogs.answers.emplace_back(std::string("/data/KEY.PRJ"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        // An access key presses the button the way a click shows: released
        // a moment later.
        QTRY_COMPARE(h.dialogs.requests.size(), std::size_t(1));
        QCOMPARE(h.form.selectedpath(), std::string("/data/KEY.PRJ"));
        QCOMPARE(h.txtinput()->text(), QStringLiteral("/data/KEY.PRJ"));
    }

    void shouldIgnoreEscapeAndEnterOutsideTheButtons()
    {
        Harness h;
        h.showactive();
        h.txtinput()->setFocus();
        QTest::keyClick(h.txtinput(), Qt::Key_Return);
        QTest::keyClick(h.txtinput(), Qt::Key_Escape);
        QVERIFY(h.dialogs.requests.empty());
        QVERIFY(h.window.isVisible());
    }

    // The box shows the file that Fix will repair: it takes no typing, but
    // its text can still be selected and copied.
    void shouldShowThePathReadOnlyButCopyable()
    {
        Harness h;
        h.showactive();
        h.select("/data/CHOSEN.PRJ");
        h.txtinput()->setFocus();
        QTest::keyClicks(h.txtinput(), QStringLiteral("TYPED"));
        QTest::keyClick(h.txtinput(), Qt::Key_Backspace);
        QCOMPARE(h.txtinput()->text(), QStringLiteral("/data/CHOSEN.PRJ"));

        QTest::keyClick(h.txtinput(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(h.txtinput(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(h.txtinput()->selectedText(), QStringLiteral("/data/CHOSEN.PRJ"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("/data/CHOSEN.PRJ"));
    }

    // What a screen reader walks: each control named, a window described by
    // its instructions, the label before the path box it names, the path box
    // readable and selectable but not editable.
    void shouldNameAndDescribeEachControlForAssistiveTools()
    {
        Harness h;
        QCOMPARE(accessiblename(h.txtinput()), QStringLiteral("MIRD project file name:"));
        QCOMPARE(accessiblename(h.cmdselect()), QStringLiteral("Select..."));
        QCOMPARE(accessiblename(h.cmdfix()), QStringLiteral("Fix"));
        h.select("/data/READ.PRJ");
        auto *window = QAccessible::queryAccessibleInterface(&h.window);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Description), h.label1(1)->text());
        auto *box = QAccessible::queryAccessibleInterface(h.txtinput());
        QVERIFY(window->indexOfChild(QAccessible::queryAccessibleInterface(h.label1(0))) < window->indexOfChild(box));
        QVERIFY(!box->state().editable && box->state().readOnly);
        QVERIFY(box->textInterface());
        QCOMPARE(box->textInterface()->text(0, box->textInterface()->characterCount()), QStringLiteral("/data/READ.PRJ"));
    }

    // A drop anywhere on the window: one local file is taken as a choice in
    // the Open dialog, as a copy (never moved away from its source);
    // anything else is refused and changes nothing.
    void shouldTakeOneLocalFileDroppedOnTheWindow_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<int>("actions");
        QTest::addColumn<bool>("taken");
        const auto local = [](const char *name) { return QUrl::fromLocalFile(QDir::temp().filePath(QString::fromUtf8(name))); };
        const int copyormove = Qt::CopyAction | Qt::MoveAction;
        QTest::newRow("one file") << QList{local("Dropped \u00c4.PRJ")} << copyormove << true;
        QTest::newRow("one file, link only") << QList{local("Dropped.PRJ")} << int(Qt::LinkAction) << true;
        QTest::newRow("two files") << QList{local("A.PRJ"), local("B.PRJ")} << copyormove << false;
        QTest::newRow("a web address") << QList{QUrl("https://example.org/A.PRJ")} << copyormove << false;
        QTest::newRow("a folder") << QList{QUrl::fromLocalFile(QDir::tempPath())} << copyormove << false;
        QTest::newRow("no address") << QList<QUrl>{} << copyormove << false;
        QTest::newRow("move only") << QList{local("Dropped.PRJ")} << int(Qt::MoveAction) << false;
    }

    void shouldTakeOneLocalFileDroppedOnTheWindow()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(int, actions);
        QFETCH(bool, taken);
        Harness h;
        QMimeData data;
        data.setUrls(urls);
        data.setText(QStringLiteral("/data/A.PRJ"));
        const QPoint onpathbox = h.txtinput()->geometry().center();
        QDragEnterEvent enter(onpathbox, Qt::DropActions(actions), &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(onpathbox), Qt::DropActions(actions), &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h.txtinput(), &enter);
        QApplication::sendEvent(h.txtinput(), &drop);

        QCOMPARE(enter.isAccepted(), taken);
        QCOMPARE(drop.isAccepted() && drop.dropAction() != Qt::MoveAction, taken);
        const std::string path = taken ? QFile::encodeName(urls.front().toLocalFile()).toStdString() : "";
        QCOMPARE(h.form.selectedpath(), path);
        QCOMPARE(h.txtinput()->text().toStdString(), path);
        QCOMPARE(h.cmdfix()->isEnabled(), taken);
        h.cmdselect()->click();
        QCOMPARE(h.dialogs.requests.back().fileName, path);
    }

    // The file went away between the selection and Fix: the failure is
    // reported through the window's boxes and the window stays.
    void shouldReportAnErrorInFixAndStayOpen()
    {
        TempDir dir;
        const auto path = dir.write("GONE.PRJ", "/8203");
        Harness h;
        h.window.show();
        h.select(path);
        std::filesystem::remove(path);

        h.cmdfix()->click();

        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.shown[0].error);
        QVERIFY(h.messages.shown[0].text.find("(error 2)") != std::string::npos);
        QVERIFY(!std::filesystem::exists(path));
        QVERIFY(h.window.isVisible());
        QVERIFY(h.cmdfix()->isEnabled());
    }
};

QTEST_MAIN(FrmquenloTest)
#include "frmquenlo_test.moc"
