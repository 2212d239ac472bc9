#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quenlo {

// One entry of an Open dialog's file-type list.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns; // "*.PRJ"
    friend bool operator==(const FileFilter &, const FileFilter &) = default;
};

// What the Open dialog is shown with. Texts and names are UTF-8 on Windows
// and the file system's own bytes elsewhere.
struct OpenRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string fileName; // the name it starts on
};

// Shows the platform's Open-file dialog, modal to the window that owns the
// service. Each toolkit has its own; tests put a scripted one in its place.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;

    // Returns the full path of the chosen file, or nothing when the user
    // cancelled. The chosen file need not exist; one file only. Throws
    // quenlo::Error when the dialog cannot be shown.
    virtual std::optional<std::string> getopenfilename(const OpenRequest &request) = 0;
};

} // namespace quenlo
