#include "librarysearch.h"

#include <windows.h>

namespace quenlo {

void loadsystemlibrariesonly()
{
    // Where the call is missing (Windows 7 without KB2533623) nothing is
    // left to do but take the working folder out of the search.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}

} // namespace quenlo
