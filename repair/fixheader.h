#pragma once

#include "outcome.h"

#include <span>

namespace quenlo {

// Looks for the version marker in `header` and, when it is there, rewrites
// every occurrence to the fixed marker in place. Nothing but each marker's
// last digit changes, and the length stays what it was.
FixOutcome fixheader(std::span<char> header);

} // namespace quenlo
