#pragma once

#include <QString>

class QLineEdit;
class QPushButton;

namespace quenlo {

class CommonDialog;

inline const QString kOpenProjectTitle = QStringLiteral("Open Project");
inline const QString kProjectFilter = QStringLiteral("MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)|*.PRJ");

// Lets the user choose the project file through `cmdialog1`. On a choice,
// the path goes into `txtinput` and `prjpath` and `cmdfix` is enabled; a
// cancel changes nothing; any other failure is passed over and the next step
// runs, so the dialog's last file name is still copied.
void selectprojectfile(CommonDialog &cmdialog1, QLineEdit &txtinput, QString &prjpath, QPushButton &cmdfix);

} // namespace quenlo
