// Quenlo: shows the window and runs until it is closed.
#include "frmquenlo.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Past the file-size limit a write must fail with an error we can report,
    // not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenlo"));
    QApplication::setApplicationVersion(QStringLiteral(QUENLO_VERSION));
    quenlo::frmquenlo window;
    window.show();
    return QApplication::exec();
}
