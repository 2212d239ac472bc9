// Write leases and the thread that lets a leased file go when another
// program asks for it. The lease-break signal only wakes that thread (an
// eventfd written by the handler); the thread asks each lease kept after its
// rewrite whether it is being broken (F_GETLEASE) and lets that file go. A
// lease broken while its rewrite is under way is let go by the rewrite's own
// thread once it is done, so no break is ever missed.
#include "posixlease.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quenlo::posix {

// The leases taken and not yet gone. Never destroyed: the watching thread
// may run until the process ends. Locked before any lease's own lock.
struct Leases {
    std::mutex mutex;
    std::vector<WriteLease *> all;
    std::once_flag watching;
    bool watched = false;

    void watch();
};

namespace {

Leases &leases()
{
    static auto *const all = new Leases;
    return *all;
}

// Written only before the handler is set.
int wakefd = -1;
// How many times the signal has come: a lease whose rewrite saw none come
// need not ask whether it was broken meanwhile.
std::atomic<unsigned long> breaks{0};
static_assert(std::atomic<unsigned long>::is_always_lock_free);

extern "C" void onleasebreak(int)
{
    const int saved = errno;
    breaks.fetch_add(1);
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakefd, &one, sizeof one);
    errno = saved;
}

// The signal handled, once, before any lease is taken.
bool ready()
{
    static const bool ready = [] {
        wakefd = ::eventfd(0, EFD_CLOEXEC);
        if (wakefd < 0)
            return false;
        struct sigaction action {};
        action.sa_handler = onleasebreak;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        return ::sigaction(SIGIO, &action, nullptr) == 0;
    }();
    return ready;
}

bool breaking(int fd)
{
    return ::fcntl(fd, F_GETLEASE) != F_WRLCK;
}

// Starts the watching thread once; false if the system gives none.
bool watching()
{
    auto &all = leases();
    std::call_once(all.watching, [&] {
        try {
            std::thread([&all] { all.watch(); }).detach();
            all.watched = true;
        } catch (const std::exception &) {
        }
    });
    return all.watched;
}

} // namespace

// Each lease asked for is let go under the list's lock, so that none goes
// meanwhile; asking for a file we hold is rare.
void Leases::watch()
{
    for (;;) {
        std::uint64_t count = 0;
        if (::read(wakefd, &count, sizeof count) < 0 && errno != EINTR)
            return;
        std::lock_guard lock(mutex);
        for (auto *lease : all) {
            if (breaking(lease->fd_)) {
                std::lock_guard own(lease->mutex_);
                lease->letgonow();
            }
        }
    }
}

std::unique_ptr<WriteLease> WriteLease::take(int fd)
{
    if (!ready())
        return nullptr;
    const auto before = breaks.load();
    int rc;
    do
        rc = ::fcntl(fd, F_SETLEASE, F_WRLCK);
    while (rc < 0 && errno == EINTR);
    if (rc < 0)
        return nullptr;
    std::unique_ptr<WriteLease> lease(new WriteLease(fd, before));
    auto &all = leases();
    std::lock_guard lock(all.mutex);
    lease->place_ = all.all.size();
    all.all.push_back(lease.get());
    return lease;
}

WriteLease::~WriteLease()
{
    auto &all = leases();
    std::lock_guard lock(all.mutex);
    all.all[place_] = all.all.back();
    all.all[place_]->place_ = place_;
    all.all.pop_back();
}

// With the lease's lock held: a kept lease asked for.
void WriteLease::letgonow()
{
    if (!held_ || busy_ || !letgo_)
        return;
    result_ = letgo_(fd_);
    ::fcntl(fd_, F_SETLEASE, F_UNLCK);
    held_ = false;
}

void WriteLease::done(bool keep, LetGo letgo)
{
    std::lock_guard lock(mutex_);
    busy_ = false;
    if (!keep) {
        ::fcntl(fd_, F_SETLEASE, F_UNLCK);
        held_ = false;
        return;
    }
    letgo_ = letgo;
    // The kernel tells the thread that took the lease, which may be gone
    // by the time another program asks for the file: the process is told
    // instead, and the watching thread hears of it.
    static const pid_t self = ::getpid(); // asked once: the process stays the same
    ::fcntl(fd_, F_SETOWN, self);
    // Asked for while the rewrite was under way, or nobody to watch: now.
    // A signal not handled yet wakes the watching thread, which finds the
    // lease no longer busy.
    if ((breaks.load() != breaksbefore_ && breaking(fd_)) || !watching())
        letgonow();
}

std::optional<int> WriteLease::letgoresult() const
{
    std::lock_guard lock(mutex_);
    return result_;
}

} // namespace quenlo::posix
