#pragma once

// What only the Windows walk and its callers need of folders.
#include "folderwalk.h"

#include <string>

namespace quenlo::cli {

// How the walk takes a listed entry, from its attributes and reparse tag
// (WIN32_FIND_DATAW's dwReserved0): a name surrogate (symbolic link,
// junction) or a reparse point without a tag is a link, never entered; any
// other reparse point (a cloud provider's placeholder, a deduplicated file)
// is the folder or file it stands for.
FolderEntry::Kind entrykind(unsigned long attributes, unsigned long tag);

// `name` inside `folder` as the system takes it as it stands: the \\?\ form
// of the folder's path with the name added.
std::wstring exactpath(const Folder &folder, const std::string &name);

} // namespace quenlo::cli
