#include "error.h"

#include <utility>

namespace quenlo {

namespace {

std::string describe(const std::string &subject, const std::string &reason)
{
    if (subject.empty())
        return "(no file name): " + reason;
    return subject + ": " + reason;
}

} // namespace

Error::Error(int number, std::string subject, std::string reason)
    : std::runtime_error(describe(subject, reason))
    , number_(number)
    , subject_(std::move(subject))
    , reason_(std::move(reason))
{
}

} // namespace quenlo
