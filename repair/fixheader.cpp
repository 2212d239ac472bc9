#include "fixheader.h"

#include "header.h"
#include "text.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace quenlo {

FixOutcome fixheader(std::span<char> header)
{
    const std::string_view text(header.data(), header.size());
    if (findtext(text, kVersionMarker) == 0)
        return FixOutcome::InvalidVersion;
    const std::string fixed = replacetext(text, kVersionMarker, kFixedMarker);
    assert(fixed.size() == header.size());
    std::copy(fixed.begin(), fixed.end(), header.begin());
    return FixOutcome::Fixed;
}

bool isalreadyfixed(std::span<const char> header)
{
    const std::string_view text(header.data(), header.size());
    return findtext(text, kFixedMarker) != 0 && findtext(text, kVersionMarker) == 0;
}

} // namespace quenlo
