#include "outcome.h"

namespace quenlo {

std::string_view outcometext(FixOutcome outcome)
{
    switch (outcome) {
    case FixOutcome::Fixed:
        return "Project file successfully fixed.";
    case FixOutcome::InvalidVersion:
        break;
    }
    return "Invalid MIRD Project file version.";
}

} // namespace quenlo
