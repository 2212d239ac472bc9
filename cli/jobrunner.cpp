#include "jobrunner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace quenlo::cli {

namespace {

// How often a worker waiting for room in the window looks at stopped().
constexpr auto kStopPoll = std::chrono::milliseconds(50);

class Jobs {
public:
    Jobs(std::size_t count, JobLimits limits, const std::function<void(std::size_t)> &job,
         const std::function<bool()> &stopped)
        : count_(count)
        , window_(std::max<std::size_t>(limits.window, 1))
        , job_(job)
        , stopped_(stopped)
    {
    }

    void work()
    {
        std::unique_lock lock(mutex_);
        for (auto item = take(lock); item; item = take(lock)) {
            lock.unlock();
            try {
                job_(*item);
            } catch (...) {
                std::lock_guard failing(mutex_);
                if (!failure_)
                    failure_ = std::current_exception();
            }
            // Finishing one item and taking the next under one lock keeps
            // the workers from queueing on it twice a file.
            lock.lock();
            finish(*item);
        }
    }

    std::size_t taken() const { return next_; }
    std::exception_ptr failure() const { return failure_; }

private:
    // With `lock` held.
    std::optional<std::size_t> take(std::unique_lock<std::mutex> &lock)
    {
        for (;;) {
            if (next_ >= count_ || failure_ || stopped_())
                return std::nullopt;
            if (next_ < oldest_ + window_)
                return next_++;
            ++waiting_;
            changed_.wait_for(lock, kStopPoll);
            --waiting_;
        }
    }

    // With the lock held.
    void finish(std::size_t item)
    {
        const std::size_t slot = item - oldest_;
        if (finished_.size() <= slot)
            finished_.resize(slot + 1, false);
        finished_[slot] = true;
        const auto before = oldest_;
        while (!finished_.empty() && finished_.front()) {
            finished_.pop_front();
            ++oldest_;
        }
        if (waiting_ > 0 && oldest_ != before)
            changed_.notify_all();
    }

    const std::size_t count_;
    const std::size_t window_;
    const std::function<void(std::size_t)> &job_;
    const std::function<bool()> &stopped_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;   // the next item to take
    std::size_t oldest_ = 0; // the oldest item not yet finished
    unsigned waiting_ = 0;   // workers waiting for room in the window
    std::deque<bool> finished_; // from oldest_ on
    std::exception_ptr failure_;
};

} // namespace

std::size_t runjobs(std::size_t count, JobLimits limits, const std::function<void(std::size_t)> &job,
                    const std::function<bool()> &stopped)
{
    Jobs jobs(count, limits, job, stopped);
    const std::size_t wanted = std::min<std::size_t>(std::max(limits.workers, 1U), std::max<std::size_t>(count, 1));
    std::vector<std::thread> helpers;
    helpers.reserve(wanted - 1);
    for (std::size_t i = 1; i < wanted; ++i) {
        try {
            helpers.emplace_back([&jobs] { jobs.work(); });
        } catch (const std::system_error &) {
            break; // the system gives no more threads: go on with those there are
        }
    }
    jobs.work();
    for (auto &helper : helpers)
        helper.join();
    if (const auto failure = jobs.failure())
        std::rethrow_exception(failure);
    return jobs.taken();
}

} // namespace quenlo::cli
