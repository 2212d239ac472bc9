#pragma once

#include <cstddef>
#include <functional>

namespace quenlo::cli {

struct JobLimits {
    unsigned workers = 1;     // items worked on at once
    std::size_t window = 1024; // how far ahead of the oldest unfinished item a worker may take one
};

// Runs job(0) .. job(count-1) on `limits.workers` threads (the calling
// thread is one of them). Items are taken in increasing order, each by one
// worker, and never more than `limits.window` ahead of the oldest item still
// at work, so results waiting for an earlier one stay few. Once `stopped()`
// says so, no new item is taken; items already taken are run to their end.
// Returns the number of items taken, which are items 0 .. result-1.
//
// An exception escaping a job stops the taking of new items and is thrown
// again here once every worker has ended.
std::size_t runjobs(std::size_t count, JobLimits limits, const std::function<void(std::size_t)> &job,
                    const std::function<bool()> &stopped);

} // namespace quenlo::cli
