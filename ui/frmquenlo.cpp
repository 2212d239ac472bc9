#include "frmquenlo.h"

#include "continuation.h"
#include "error.h"
#include "fixprojectfile.h"
#include "report.h"

#include <array>

namespace quenlo {

namespace {

constexpr std::string_view kOpenProjectTitle = "Open Project";
constexpr std::string_view kProjectFilter = "MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)|*.PRJ";
constexpr std::string_view kErrorTitle = "Quenlo";
constexpr std::string_view kFixFailed = "The project file could not be fixed.";

} // namespace

frmquenlo::frmquenlo(const FormContext &context, FileService &files)
    : controls_(context.controls)
    , messages_(context.messages)
    , files_(files)
    , cmdialog1(context.dialogs)
{
}

void frmquenlo::click(std::string_view name, int)
{
    if (name == "cmdselect")
        cmdselect_Click();
    else if (name == "cmdfix")
        cmdfix_Click();
}

// Lets the user choose the project file. On a choice, the path goes into
// the path box and `prjpath` and Fix is enabled; a cancel changes nothing;
// any other failure is passed over and the next step runs, so the dialog's
// last file name is still taken.
void frmquenlo::cmdselect_Click()
{
    const std::array<Step, 7> steps{
        [&] { cmdialog1.setCancelError(true); },
        [&] { cmdialog1.setDialogTitle(std::string(kOpenProjectTitle)); },
        [&] { cmdialog1.setFilter(std::string(kProjectFilter)); },
        [&] { cmdialog1.setAction(CommonDialog::kShowOpen); },
        [&] { controls_.control("txtinput").settext(cmdialog1.fileName()); },
        [&] { prjpath = cmdialog1.fileName(); },
        [&] { controls_.control("cmdfix").setenabled(true); },
    };
    runsteps(steps, [](const Error &error) {
        return error.number() == kCancelError ? OnError::Leave : OnError::ResumeNext;
    });
}

// Repairs the chosen file, never the text of the path box. A failure is
// reported and the window stays as it was, so that the user can choose
// another file.
void frmquenlo::cmdfix_Click()
{
    try {
        fixprojectfile(prjpath, prjheader, messages_, files_);
    } catch (const Error &error) {
        reporterror(error, messages_, kErrorTitle, kFixFailed);
    } catch (const std::exception &other) {
        reporterror(Error(kInternalError, prjpath, other.what()), messages_, kErrorTitle, kFixFailed);
    }
}

} // namespace quenlo
