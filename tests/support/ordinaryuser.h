#pragma once

#include <functional>
#include <string>

namespace quenlo::test {

// Runs `action` as an ordinary user (uid and gid 65534) in a child process
// when the tests run as root, who may write anything; otherwise runs it
// here. Returns what `action` returned.
std::string asordinaryuser(const std::function<std::string()> &action);

} // namespace quenlo::test
