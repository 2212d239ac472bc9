#include "standardstreams.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quenlo {

MissingStreams openstandardstreams()
{
    MissingStreams missing;
#ifdef _WIN32
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
    missing = {absent(STD_INPUT_HANDLE), absent(STD_OUTPUT_HANDLE), absent(STD_ERROR_HANDLE)};
#else
    bool *flags[] = {&missing.in, &missing.out, &missing.err};
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        *flags[fd] = true;
        // The lowest free descriptor: this one, as those below are open.
        const int opened = ::open("/dev/null", (fd == 0 ? O_RDONLY : O_WRONLY) | O_NOCTTY);
        if (opened != fd) {
            // No null device: better not to run at all than to risk it.
            std::_Exit(127);
        }
    }
#endif
    return missing;
}

} // namespace quenlo
