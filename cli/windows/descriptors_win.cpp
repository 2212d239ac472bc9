#include "descriptors.h"

namespace quenlo::cli {

// Handles have no limit like that of open files.
std::size_t descriptorroom()
{
    return kMostDescriptors;
}

} // namespace quenlo::cli
