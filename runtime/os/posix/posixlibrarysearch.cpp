#include "librarysearch.h"

namespace quenlo {

// Shared libraries come from the paths the dynamic linker is configured
// with, never from beside the program or the working folder.
void loadsystemlibrariesonly() {}

} // namespace quenlo
