#include "standardstreams.h"

#include <windows.h>

namespace quenlo {

MissingStreams openstandardstreams()
{
    const auto absent = [](DWORD which) {
        const HANDLE handle = ::GetStdHandle(which);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
            return true;
        // A handle not valid in this process, or one to a file that cannot
        // be written (Wine hands on a closed descriptor so), is as good as
        // none: a write of nothing asks for write access and writes nothing.
        // Pipes are not asked: their reader may take it for the end.
        ::SetLastError(NO_ERROR);
        const DWORD type = ::GetFileType(handle);
        if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR)
            return true;
        DWORD written = 0;
        return which != STD_INPUT_HANDLE && type == FILE_TYPE_DISK && !::WriteFile(handle, "", 0, &written, nullptr);
    };
    return {absent(STD_INPUT_HANDLE), absent(STD_OUTPUT_HANDLE), absent(STD_ERROR_HANDLE)};
}

} // namespace quenlo
