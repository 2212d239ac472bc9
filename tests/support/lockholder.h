#pragma once

#include <string>
#include <sys/types.h>

namespace quenlo::test {

// Another program holding a lock on a file: a child process that opens the
// file, takes the lock and keeps it until this object goes away.
class LockHolder {
public:
    enum class Kind {
        FlockExclusive, // flock(LOCK_EX)
        FlockShared,    // flock(LOCK_SH)
        OfdWrite,       // fcntl(F_OFD_SETLK, F_WRLCK), whole file
        OfdRead,        // fcntl(F_OFD_SETLK, F_RDLCK), whole file
        PosixWrite,     // fcntl(F_SETLK, F_WRLCK) on bytes 1 to 10 only
    };

    LockHolder(const std::string &path, Kind kind);
    ~LockHolder();
    LockHolder(const LockHolder &) = delete;
    LockHolder &operator=(const LockHolder &) = delete;

    // Whether the child took the lock ("locked"), or why not.
    const std::string &state() const { return state_; }

private:
    pid_t child_ = -1;
    int release_ = -1; // closing it tells the child to exit
    std::string state_;
};

// Whether another process could take `kind` on the file now (it tries
// without waiting and lets go at once).
bool couldlock(const std::string &path, LockHolder::Kind kind);

} // namespace quenlo::test
