#pragma once

#include "commondialog.h"
#include "controls.h"
#include "file.h"
#include "form.h"
#include "header.h"

#include <span>
#include <string>

namespace quenlo {

// The program's one window: Select... chooses a project file, Fix repairs it.
// The run-time builds it from description() and calls click() for each
// press of a button; this is the window's own code and the state it keeps
// for as long as it lives.
class frmquenlo final : public FormCode {
public:
    static const FormDescription &description();

    // The controls the code names, each found in description() while it is
    // compiled (frmquenlo_form.cpp): a control renamed or taken away there
    // does not build until the code follows.
    static const ControlId cmdselect;
    static const ControlId txtinput;
    static const ControlId cmdfix;

    // `files` opens the project file for Fix; the system's own unless a
    // test gives another. It must outlive the window.
    explicit frmquenlo(const FormContext &context, FileService &files = systemfiles());

    void click(ControlId control) override;

    // The files the program was started with, as full paths. The first is
    // taken as a choice confirmed in the Open dialog; of several, the user
    // is told once the window shows that it fixes one file at a time.
    void startwith(std::span<const std::string> files);
    void shown() override;
    // A file dropped on the window is taken as one chosen in the dialog.
    void dropped(const std::string &path) override;

    const std::string &selectedpath() const { return prjpath; }
    const ProjectHeader &headerbuffer() const { return prjheader; }
    const CommonDialog &dialog() const { return cmdialog1; }

private:
    void cmdselect_Click();
    void cmdfix_Click();
    void select(std::size_t firststep);
    void takefile(const std::string &path);

    Controls &controls_;
    MessageService &messages_;
    FileService &files_;

    std::string prjpath;
    ProjectHeader prjheader{};
    CommonDialog cmdialog1;
    std::size_t startfiles_ = 0; // how many the program was started with, until the user is told
};

} // namespace quenlo
