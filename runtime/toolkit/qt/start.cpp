#include "start.h"

#include "qtform.h"

#include <QApplication>
#include <QMetaObject>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace quenlo {

std::vector<std::string> programarguments(int argc, char **argv)
{
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

bool tell(std::string_view text, bool failure, const MissingStreams &, std::string_view)
{
    std::FILE *stream = failure ? stderr : stdout;
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
}

namespace {

QtMessageHandler qthandler = nullptr;

// While the application starts: Qt ends a program that finds no display
// with abort(), which leaves a core and a status that tells nothing. Its
// own lines still say why; this says what it means and ends plainly.
void nodisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        qthandler(type, context, message);
        return;
    }
    std::fputs("quenlo: no window can be shown: no display could be reached"
               " (quenlo-fix fixes files without one)\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int runwindow(int argc, char **argv, const FormDescription &description, const FormCodeFactory &makecode)
{
    // Qt sees only the program's name: a file named like one of Qt's options
    // ("-style") is still a file.
    char fallback[] = "quenlo";
    char *qtargv[] = {argc > 0 && argv[0] ? argv[0] : fallback, nullptr};
    int qtargc = 1;
    qthandler = qInstallMessageHandler(nodisplay);
    QApplication app(qtargc, qtargv);
    qInstallMessageHandler(qthandler);
    // The desktop entry, so that the task bar and the desktop's window list
    // show the window under the application's own name and icon (on Wayland
    // it is the window's app ID).
    QGuiApplication::setDesktopFileName(QStringLiteral(QUENLO_APP_ID));
    QtForm window(description);
    const auto code = makecode(window.context());
    window.attach(*code);
    window.show();
    QMetaObject::invokeMethod(&window, [&] { window.dispatch([&] { code->shown(); }); }, Qt::QueuedConnection);
    return QApplication::exec();
}

} // namespace quenlo
