#include "fileselection.h"

#include "commondialog.h"
#include "continuation.h"

#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace quenlo {

void selectprojectfile(CommonDialog &cmdialog1, QLineEdit &txtinput, QString &prjpath, QPushButton &cmdfix)
{
    const std::array<Step, 7> steps{
        [&] { cmdialog1.setCancelError(true); },
        [&] { cmdialog1.setDialogTitle(kOpenProjectTitle); },
        [&] { cmdialog1.setFilter(kProjectFilter); },
        [&] { cmdialog1.setAction(CommonDialog::kShowOpen); },
        [&] { txtinput.setText(cmdialog1.fileName()); },
        [&] { prjpath = cmdialog1.fileName(); },
        [&] { cmdfix.setEnabled(true); },
    };
    runsteps(steps, [](const Error &error) {
        return error.number() == kCancelError ? OnError::Leave : OnError::ResumeNext;
    });
}

} // namespace quenlo
