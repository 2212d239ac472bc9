#pragma once

#include "batch.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace quenlo::cli {

// The most files one shared flush serves: a few hundred cost the disk
// hardly more than one, and their lines wait no longer than that.
inline constexpr std::size_t kGroupFiles = 256;

// Files the workers rewrote that wait, open and locked, for one flush of
// their file system (File::sharedflush()) instead of a flush each. They
// gather in one group per file system, told by its device and identity, so
// that a clone mounted beside its original is a group of its own. A group
// is flushed when it holds `groupsize` files, when the files held open
// would otherwise pass `mostheld`, once an item `span` past its first one
// has finished (so that lines never wait long behind it), and at
// flushall(). The worker that makes a group due flushes it while the
// others go on.
//
// A group's file system is flushed through the file opened first, which is
// then flushed on its own (which empties the device's cache where the file
// system's flush may not); that flush tells of every other file's writing
// out too. Any failure fails every file of the group: the file system may
// have dropped what it had not written out, and a flush of each file would
// then answer with success. Then each file is closed, and the group's
// reports are handed to `settled` together, in the order of the items; a
// file that failed gets its failure as its report.
class FlushGroups {
public:
    struct Limits {
        std::size_t groupsize = kGroupFiles;
        std::size_t mostheld = 2 * kGroupFiles;
        std::size_t span = 8 * kGroupFiles;
    };
    using Settled = std::function<void(std::vector<std::pair<std::size_t, Report>> &&reports)>; // by item

    FlushGroups(Limits limits, Settled settled);

    // Takes the report of `item`, whose file is report.unflushed.
    void add(std::size_t item, Report report);
    // Notes that `item` finished with nothing to flush.
    void passed(std::size_t item);
    // Flushes every group. Called once no worker adds any more.
    void flushall();

private:
    struct Member {
        std::size_t item;
        Report report;
    };
    using Members = std::vector<Member>;
    struct Group {
        std::size_t first = 0; // the item of its first file
        Members members;
    };

    // With the lock held: groups due at `item` (all of them with
    // `everyone`) leave the open ones for `due`.
    void takedue(std::size_t item, bool everyone, std::vector<Members> &due);
    void flush(std::vector<Members> due);
    void flushgroup(Members &members);

    const Limits limits_;
    const Settled settled_;
    std::mutex mutex_;
    std::condition_variable room_;
    std::map<FileSystemKey, Group> open_; // by file system
    std::size_t held_ = 0;                // files open, in groups open or being flushed
    // The first item whose end makes an open group due by its span.
    std::atomic<std::size_t> due_{std::numeric_limits<std::size_t>::max()};
};

} // namespace quenlo::cli
