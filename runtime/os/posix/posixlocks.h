#pragma once

#include "error.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace quenlo::posix {

// Locks on an open descriptor, released with it. Both kinds are taken on
// the one open file description, which owns both: other programs may use
// either kind, and neither of ours can stand in the way of the other.

// How long a lock held by another program is waited for before the file is
// called locked: a lock held for a moment (another run that is fixing the
// file) is no reason to fail.
inline constexpr auto kLockWait = std::chrono::seconds(1);

// Calls `attempt` until it returns anything but "held by another"
// (EWOULDBLOCK, EAGAIN) or kLockWait has passed, in growing pauses
// during which signals are taken as ever. Returns its last result.
int whilelocked(const std::function<int()> &attempt);

// Takes an exclusive flock and an exclusive OFD lock on the whole file,
// waiting at most kLockWait for each. Throws "the file is locked by another program" when
// another program holds either kind, and any other failure to lock with
// the system's words.
void lockexclusive(int fd, const std::string &path);

// Takes a shared flock and a shared OFD lock, without waiting. Returns why
// they could not be had, or nothing.
std::optional<Error> lockshared(int fd, const std::string &path);

// Whether another program holds a POSIX or OFD lock, read or write, that
// would keep lockexclusive() from succeeding (after its wait); nothing is
// placed.
std::optional<Error> lockedbyanother(int fd, const std::string &path);

// Whether another program holds an flock, shared or exclusive, on the file:
// an exclusive flock is tried without waiting and, if had, turned back into
// a shared one at once. Our own shared flock on `fd` is lost if another is
// found, so this is asked once the file has been read.
std::optional<Error> flockedbyanother(int fd, const std::string &path);

// Whether another program (a file server) holds a lease on the file that
// `status` describes, which keeps any open for writing out: told by the
// kernel's list of locks. quenlo-fix takes no lease where this is asked.
std::optional<Error> leasedbyanother(const struct stat &status, const std::string &path);

} // namespace quenlo::posix
