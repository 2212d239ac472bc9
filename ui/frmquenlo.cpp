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
constexpr std::string_view kProgramTitle = "Quenlo";
constexpr std::string_view kFixFailed = "The project file could not be fixed.";

// The steps of a selection that take the dialog's file name, counted from
// the first: the path box, `prjpath`, Fix enabled.
constexpr std::size_t kTakeChosenStep = 4;

} // namespace

frmquenlo::frmquenlo(const FormContext &context, FileService &files)
    : controls_(context.controls)
    , messages_(context.messages)
    , files_(files)
    , cmdialog1(context.dialogs)
{
}

void frmquenlo::click(ControlId control)
{
    if (control == cmdselect)
        cmdselect_Click();
    else if (control == cmdfix)
        cmdfix_Click();
}

// Lets the user choose the project file. On a choice, the path goes into
// the path box and `prjpath` and Fix is enabled; a cancel changes nothing;
// any other failure is passed over and the next step runs, so the dialog's
// last file name is still taken. A control missing from the window is a
// fault of the program, which no step passes over.
void frmquenlo::cmdselect_Click()
{
    select(0);
}

// The selection from step `firststep` on.
void frmquenlo::select(std::size_t firststep)
{
    const std::array<Step, 7> steps{
        [&] { cmdialog1.setCancelError(true); },
        [&] { cmdialog1.setDialogTitle(std::string(kOpenProjectTitle)); },
        [&] { cmdialog1.setFilter(std::string(kProjectFilter)); },
        [&] { cmdialog1.setAction(CommonDialog::kShowOpen); },
        [&] { controls_.control(txtinput).settext(cmdialog1.fileName()); },
        [&] { prjpath = cmdialog1.fileName(); },
        [&] { controls_.control(cmdfix).setenabled(true); },
    };
    runsteps(std::span(steps).subspan(firststep), [](const Error &error) {
        return error.number() == kCancelError ? OnError::Leave : OnError::ResumeNext;
    });
}

// A file handed to the window takes the road of a confirmed choice: it
// becomes the dialog's file name, which the selection's last steps take, so
// the dialog later opens on it too.
void frmquenlo::takefile(const std::string &path)
{
    cmdialog1.setFileName(path);
    select(kTakeChosenStep);
}

void frmquenlo::startwith(std::span<const std::string> files)
{
    if (files.empty())
        return;
    takefile(files.front());
    startfiles_ = files.size();
}

void frmquenlo::shown()
{
    if (startfiles_ < 2)
        return;
    const std::string text = "Quenlo fixes one project file at a time. Of the " + std::to_string(startfiles_)
                             + " files it was given, it has selected the first:\n\n"
                             + wraplines(prjpath, kReportLineWidth)
                             + "\n\nquenlo-fix fixes many files at once.";
    startfiles_ = 0;
    messages_.show(text, kProgramTitle);
}

void frmquenlo::dropped(const std::string &path)
{
    takefile(path);
}

// Repairs the chosen file, never the text of the path box. A failure is
// reported and the window stays as it was, so that the user can choose
// another file.
void frmquenlo::cmdfix_Click()
{
    try {
        fixprojectfile(prjpath, prjheader, messages_, files_);
    } catch (const Error &error) {
        reporterror(error, messages_, kProgramTitle, kFixFailed);
    } catch (const std::exception &other) {
        reporterror(Error(kInternalError, prjpath, other.what()), messages_, kProgramTitle, kFixFailed);
    }
}

} // namespace quenlo
