#include "start.h"

#include "qtform.h"

#include <QApplication>

namespace quenlo {

int runwindow(int argc, char **argv, const FormDescription &description, const FormCodeFactory &makecode)
{
    QApplication app(argc, argv);
    QtForm window(description);
    const auto code = makecode(window.context());
    window.attach(*code);
    window.show();
    return QApplication::exec();
}

} // namespace quenlo
