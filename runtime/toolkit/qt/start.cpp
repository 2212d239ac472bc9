#include "start.h"

#include "qtform.h"

#include <QApplication>
#include <QMetaObject>

#include <cstdio>

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

int runwindow(int argc, char **argv, const FormDescription &description, const FormCodeFactory &makecode)
{
    // Qt sees only the program's name: a file named like one of Qt's options
    // ("-style") is still a file.
    char fallback[] = "quenlo";
    char *qtargv[] = {argc > 0 && argv[0] ? argv[0] : fallback, nullptr};
    int qtargc = 1;
    QApplication app(qtargc, qtargv);
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
