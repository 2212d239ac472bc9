#include "folderwalk.h"

namespace quenlo::cli {

const std::string_view kFolderWord = "folder";

// Either slash ends a folder's name, and so does a drive's colon ("C:").
void addtopath(std::string &folder, std::string_view name)
{
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/' && folder.back() != ':')
        folder += '\\';
    folder += name;
}

} // namespace quenlo::cli
