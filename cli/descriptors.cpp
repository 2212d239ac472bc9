#include "descriptors.h"

#ifndef _WIN32
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace quenlo::cli {

namespace {

// For the system's own use: a directory stream, /proc lookups, a pipe,
// the wake-up of the thread that lets leased files go.
constexpr std::size_t kReserve = 5;
// More would only cost memory.
constexpr std::size_t kMost = 1 << 16;

#ifndef _WIN32
// How many descriptors are open now, the one used to count them left out.
std::size_t openones(std::size_t limit)
{
    if (DIR *listed = ::opendir("/proc/self/fd")) {
        std::size_t count = 0;
        while (const dirent *entry = ::readdir(listed))
            count += entry->d_name[0] != '.';
        ::closedir(listed);
        return count > 0 ? count - 1 : 0;
    }
    std::size_t count = 0;
    for (std::size_t fd = 0; fd < limit && fd < kMost; ++fd)
        count += ::fcntl(static_cast<int>(fd), F_GETFD) >= 0;
    return count;
}
#endif

} // namespace

std::size_t descriptorroom()
{
#ifdef _WIN32
    return kMost;
#else
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) < 0)
        return kLeastFolders + kPerWorker;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    const std::size_t soft = limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kMost
                                 ? kMost
                                 : static_cast<std::size_t>(limit.rlim_cur);
    const std::size_t taken = openones(soft) + kReserve;
    return soft > taken ? soft - taken : 0;
#endif
}

} // namespace quenlo::cli
