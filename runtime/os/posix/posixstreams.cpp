#include "standardstreams.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quenlo {

MissingStreams openstandardstreams()
{
    MissingStreams missing;
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
    return missing;
}

} // namespace quenlo
