#pragma once

#include <cstddef>

namespace quenlo::cli {

// How many descriptors the run may open at once: the limit of open files,
// whose soft value is first raised to the hard one, less those open already
// and a few kept for the system's own use. Very many on Windows, whose
// handles have no such limit. Each system's own in cli/posix and
// cli/windows.
std::size_t descriptorroom();

// How the room is shared: each worker holds at most kPerWorker descriptors
// of its file and its folders at a time, and the folders of the walk keep
// the rest, never fewer than kLeastFolders.
inline constexpr std::size_t kPerWorker = 4;
inline constexpr std::size_t kLeastFolders = 4;

// The room is never more than this: more would only cost memory.
inline constexpr std::size_t kMostDescriptors = 1 << 16;

} // namespace quenlo::cli
