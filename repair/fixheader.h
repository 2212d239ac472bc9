#pragma once

#include "outcome.h"

#include <span>

namespace quenlo {

// Looks for the version marker in `header` and, when it is there, rewrites
// every occurrence to the fixed marker in place. Nothing but each marker's
// last digit changes, and the length stays what it was.
FixOutcome fixheader(std::span<char> header);

// True when `header` holds the fixed marker and not the version marker: a
// file that a run before this one has fixed. fixheader() still reports it as
// InvalidVersion; only quenlo-fix tells the two apart.
bool isalreadyfixed(std::span<const char> header);

} // namespace quenlo
