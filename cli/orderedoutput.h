#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace quenlo::cli {

// Puts results that finish in any order back into the order of their items.
// Items are numbered from 0. A finished item's result is handed to `emit` as
// soon as every earlier item's has been, then `flushed` is called once for
// each run of results handed over together. Both are called under a lock of
// the object's own, from the thread that finished the item, so they never run
// at the same time and need no locking of their own.
template <typename Result>
class OrderedOutput {
public:
    using Emit = std::function<void(std::size_t item, Result &&result)>;
    using Flushed = std::function<void()>;

    OrderedOutput(Emit emit, Flushed flushed)
        : emit_(std::move(emit))
        , flushed_(std::move(flushed))
    {
    }

    // Hands over the result of `item`, which must not have finished before.
    void finish(std::size_t item, Result result)
    {
        std::lock_guard lock(mutex_);
        put(item, std::move(result));
        emitready();
    }

    // The same for several items at once: what they let out goes out
    // together.
    void finish(std::vector<std::pair<std::size_t, Result>> results)
    {
        std::lock_guard lock(mutex_);
        for (auto &[item, result] : results)
            put(item, std::move(result));
        emitready();
    }


    // Runs `action` under the same lock as the output, so that it never
    // comes between two results handed over together.
    template <typename Action>
    void exclusive(Action &&action)
    {
        std::lock_guard lock(mutex_);
        action();
    }

    // How many results have been handed over, which is also the number of
    // the first item still awaited.
    std::size_t emitted() const
    {
        std::lock_guard lock(mutex_);
        return next_;
    }

private:
    // With the lock held.
    void put(std::size_t item, Result &&result)
    {
        const std::size_t slot = item - next_;
        if (waiting_.size() <= slot)
            waiting_.resize(slot + 1);
        waiting_[slot] = std::move(result);
    }

    void emitready()
    {
        bool any = false;
        while (!waiting_.empty() && waiting_.front()) {
            emit_(next_, std::move(*waiting_.front()));
            waiting_.pop_front();
            ++next_;
            any = true;
        }
        if (any)
            flushed_();
    }

    Emit emit_;
    Flushed flushed_;
    mutable std::mutex mutex_;
    std::size_t next_ = 0;
    std::deque<std::optional<Result>> waiting_;
};

} // namespace quenlo::cli
