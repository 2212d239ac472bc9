#include "samefilegate.h"

namespace quenlo::cli {

SameFileGate::SameFileGate(std::size_t count)
    : identified_(count, false)
{
}

bool SameFileGate::mayproceed(std::size_t item, const std::optional<FileIdentity> &identity) const
{
    if (!identity)
        return true;
    if (identifiedprefix_ <= item)
        return false; // an earlier item may yet turn out to name this file
    const auto &holders = atwork_.at(*identity);
    return *holders.begin() == item;
}

void SameFileGate::enter(std::size_t item, std::optional<FileIdentity> identity)
{
    std::unique_lock lock(mutex_);
    identified_.at(item) = true;
    if (identity) {
        atwork_[*identity].insert(item);
        identities_.emplace(item, *identity);
    }
    const auto before = identifiedprefix_;
    while (identifiedprefix_ < identified_.size() && identified_[identifiedprefix_])
        ++identifiedprefix_;
    if (identifiedprefix_ != before && waiting_ > 0)
        changed_.notify_all();
    if (mayproceed(item, identity))
        return;
    ++waiting_;
    changed_.wait(lock, [&] { return mayproceed(item, identity); });
    --waiting_;
}

void SameFileGate::leave(std::size_t item)
{
    std::lock_guard lock(mutex_);
    const auto found = identities_.find(item);
    if (found == identities_.end())
        return;
    const auto holders = atwork_.find(found->second);
    holders->second.erase(item);
    if (holders->second.empty())
        atwork_.erase(holders);
    identities_.erase(found);
    if (waiting_ > 0)
        changed_.notify_all();
}

} // namespace quenlo::cli
