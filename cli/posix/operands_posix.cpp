#include "operandsystem.h"

namespace quenlo::cli {

std::string typedname(const std::string &typed)
{
    return typed;
}

bool addmatches(std::vector<Operand> &, const std::string &, const Walking &)
{
    return false;
}

} // namespace quenlo::cli
