#include "ordinaryuser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quenlo::test {

std::string asordinaryuser(const std::function<std::string()> &action)
{
    if (::geteuid() != 0)
        return action();
    int channel[2];
    if (::pipe(channel) < 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        ::close(channel[0]);
        std::string answer = "cannot become an ordinary user";
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)
            answer = action();
        const auto written = ::write(channel[1], answer.data(), answer.size());
        ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string answer;
    char chunk[256];
    for (ssize_t got; (got = ::read(channel[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return answer;
}

} // namespace quenlo::test
