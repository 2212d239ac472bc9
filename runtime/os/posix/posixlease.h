#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>

namespace quenlo::posix {

// A write lease on an open file (F_SETLEASE, F_WRLCK). While it is held,
// another program that opens the file or truncates it waits until the lease
// is let go (an open that may not wait fails at once), and the kernel tells
// us with a signal (SIGIO) that never ends the program. The kernel grants
// it to the file's owner, or with CAP_LEASE, and only while nobody else has
// the file open.
class WriteLease {
public:
    // Makes the file durable once another program asks for it; returns 0 or
    // the error number.
    using LetGo = int (*)(int fd);

    // Takes a lease on `fd`; nothing where the kernel does not grant it.
    static std::unique_ptr<WriteLease> take(int fd);

    // Forgets the lease, before `fd` is closed, which gives it up.
    ~WriteLease();
    WriteLease(const WriteLease &) = delete;
    WriteLease &operator=(const WriteLease &) = delete;

    // The rewrite under the lease is done. Unless `keep`, the lease is given
    // up now. With `keep` it is held until the lease goes, and once another
    // program asks for the file (also while the rewrite was under way),
    // `letgo` runs at once on a thread of ours and the lease is given up.
    void done(bool keep, LetGo letgo);

    // What `letgo` returned, if it ran.
    std::optional<int> letgoresult() const;

private:
    WriteLease(int fd, unsigned long breaksbefore)
        : fd_(fd)
        , breaksbefore_(breaksbefore)
    {
    }
    friend struct Leases;
    void letgonow();

    const int fd_;
    const unsigned long breaksbefore_; // lease-break signals before it was taken
    mutable std::mutex mutex_;
    bool busy_ = true; // the rewrite is under way: its thread lets go
    bool held_ = true;
    LetGo letgo_ = nullptr; // set once kept
    std::optional<int> result_;
    std::size_t place_ = 0; // among the leases held
};

} // namespace quenlo::posix
