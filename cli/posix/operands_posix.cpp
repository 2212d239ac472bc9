#include "operandsystem.h"

namespace quenlo::cli {

std::string typedname(const std::string &typed)
{
    return typed;
}

bool addmatches(std::vector<Operand> &, const std::string &, bool, Folders &, const std::function<bool()> &)
{
    return false;
}

} // namespace quenlo::cli
