#include "start.h"

#include "qtform.h"

#include <QApplication>

namespace quenlo {

int runwindow(int argc, char **argv, const FormDescription &description, const FormCodeFactory &makecode)
{
    QApplication app(argc, argv);
    // The desktop entry, so that the task bar and the desktop's window list
    // show the window under the application's own name and icon (on Wayland
    // it is the window's app ID).
    QGuiApplication::setDesktopFileName(QStringLiteral(QUENLO_APP_ID));
    QtForm window(description);
    const auto code = makecode(window.context());
    window.attach(*code);
    window.show();
    return QApplication::exec();
}

} // namespace quenlo
