#include "folderwalk.h"

namespace quenlo::cli {

const std::string_view kFolderWord = "directory";

void addtopath(std::string &folder, std::string_view name)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    folder += name;
}

} // namespace quenlo::cli
