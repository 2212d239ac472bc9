#pragma once

#include "fileidentity.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace quenlo::cli {

// Keeps work on one file in the order of its names, whatever the number of
// workers. Items are numbered 0..count-1 in the order of the output. The
// worker of item i, once it knows which file the item names, calls enter(i):
// it returns when every earlier item has said which file it names and no
// earlier item naming the same file is still at work. Then the worker does
// its work and calls leave(i). So the first name of a file fixes it, the later
// ones see it fixed, and two workers never hold one file at the same time.
//
// Workers must take items in increasing order, each item exactly once, and
// enter and leave every item they take, or later items wait forever.
class SameFileGate {
public:
    explicit SameFileGate(std::size_t count);

    // `identity` is nothing when the item names no file that can be looked
    // at; such an item never waits for another and nobody waits for it.
    void enter(std::size_t item, std::optional<FileIdentity> identity);
    void leave(std::size_t item);

private:
    bool mayproceed(std::size_t item, const std::optional<FileIdentity> &identity) const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<bool> identified_;
    std::size_t identifiedprefix_ = 0; // items 0..identifiedprefix_-1 have all entered
    std::map<FileIdentity, std::set<std::size_t>> atwork_; // items entered and not yet left, by file
    std::map<std::size_t, FileIdentity> identities_;        // the same, by item
    unsigned waiting_ = 0;                                  // workers waiting in enter()
};

} // namespace quenlo::cli
