#pragma once

#include <string>

namespace quenlo::win {

// For a file on a local disk whose opening for reading and writing was
// denied: whether its own permissions allow this program's user to read
// and write it, so that something else refused the open, such as
// Controlled Folder Access (Windows Security's ransomware protection) or
// another security program. False whenever it cannot be told, and for a
// file on a network share, whose server may refuse beyond what it shows.
bool deniedbeyondpermissions(const std::wstring &path);

} // namespace quenlo::win
