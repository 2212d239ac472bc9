#include "wildcards.h"

namespace quenlo::cli {

std::size_t lastcomponent(std::string_view path)
{
    const auto separator = path.find_last_of("\\/");
    if (separator != std::string_view::npos)
        return separator + 1;
    if (path.size() >= 2 && path[1] == ':')
        return 2;
    return 0;
}

bool haswildcard(std::string_view path)
{
    return path.find_first_of("*?", lastcomponent(path)) != std::string_view::npos;
}

} // namespace quenlo::cli
