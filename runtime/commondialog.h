#pragma once

#include "filedialog.h"

#include <string>
#include <vector>

namespace quenlo {

// The window's Open-file dialog object. It keeps its settings and the
// chosen file name between uses, so each showing starts on the last name.
//   CancelError  when set, a cancel raises an Error numbered kCancelError
//   DialogTitle  the dialog's title
//   Filter       "description|pattern[|description|pattern...]"; several
//                patterns in one entry are separated by ';'
//   FileName     the full path chosen last
class CommonDialog {
public:
    // The action code that shows the Open dialog.
    static constexpr int kShowOpen = 1;

    // `dialogs` shows the dialog; it must outlive this object.
    explicit CommonDialog(FileDialogService &dialogs)
        : dialogs_(dialogs)
    {
    }

    bool cancelError() const { return cancelerror_; }
    void setCancelError(bool on) { cancelerror_ = on; }
    const std::string &dialogTitle() const { return title_; }
    void setDialogTitle(std::string title) { title_ = std::move(title); }
    const std::string &filter() const { return filter_; }
    // Throws quenlo::Error, keeping the old filter, for a description
    // without its pattern.
    void setFilter(std::string filter);
    const std::string &fileName() const { return filename_; }
    void setFileName(std::string name) { filename_ = std::move(name); }

    // Runs an action; only kShowOpen is known. Throws quenlo::Error on a
    // cancel (with CancelError set) and when the dialog fails.
    void setAction(int code);

    // The Filter as the dialog's list of file types.
    std::vector<FileFilter> filters() const;

private:
    FileDialogService &dialogs_;
    bool cancelerror_ = false;
    std::string title_;
    std::string filter_;
    std::string filename_;
};

} // namespace quenlo
