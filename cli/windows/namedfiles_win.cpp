#include "namedfiles.h"

namespace quenlo::cli {

FileService &namedfiles()
{
    return systemfiles();
}

} // namespace quenlo::cli
