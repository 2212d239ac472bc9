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
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
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
