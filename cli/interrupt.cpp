#include "interrupt.h"

#include "exitguard.h"
#include "interruptsystem.h"

#include <atomic>

namespace quenlo::cli {

namespace {

// Lock-free, so the signal handler may use them.
std::atomic<int> caught{0};
std::atomic<long long> firstat{0}; // when the first came, in milliseconds
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<long long>::is_always_lock_free);

// A second interrupt must be a second press: one that comes within this
// time of the first is the same press told twice (a terminal signals the
// whole process group, and wrappers such as timeout pass it on again).
constexpr long long kSecondPressAfter = 500;

// On a terminal the line starts on a row of its own, below a progress line.
constexpr char kStoppedNow[] = "\nquenlo-fix: stopped at once: a file fixed at this moment may lack its line\n";
std::atomic<bool> errterminal{false};

// Says so on standard error if that can be done without waiting: standard
// error may be a pipe nobody reads.
void tellstopped()
{
    const char *text = kStoppedNow + (errterminal ? 0 : 1);
    const auto size = sizeof kStoppedNow - (errterminal ? 1 : 2);
    writeerrornowait(text, size);
}

} // namespace

void noteinterrupt(int signal)
{
    // The time first, so that whoever sees the interrupt noted sees when.
    long long never = 0;
    firstat.compare_exchange_strong(never, steadymilliseconds());
    int none = 0;
    if (caught.compare_exchange_strong(none, signal) || steadymilliseconds() - firstat.load() < kSecondPressAfter)
        return;
    tellstopped();
    endnow(128 + signal);
}

void clearinterrupt()
{
    caught = 0;
    firstat = 0;
}

bool interrupted()
{
    return caught.load() != 0;
}

int interruptstatus()
{
    return 128 + caught.load();
}

void catchinterrupts()
{
    errterminal = erroronterminal();
    listenforinterrupts();
}

} // namespace quenlo::cli
