#include "errorline.h"

#include "quotename.h"

namespace quenlo::cli {

std::string errorline(const Error &error)
{
    if (!needsquoting(error.subject()))
        return error.what();
    return quotename(error.subject()) + ": " + error.reason();
}

} // namespace quenlo::cli
