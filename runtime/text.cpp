#include "text.h"

namespace quenlo {

std::size_t findtext(std::string_view text, std::string_view sought)
{
    const auto at = text.find(sought);
    return at == std::string_view::npos ? 0 : at + 1;
}

std::string replacetext(std::string_view text, std::string_view sought, std::string_view replacement)
{
    if (sought.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (auto at = text.find(sought); at != std::string_view::npos; at = text.find(sought, from)) {
        result.append(text.substr(from, at - from)).append(replacement);
        from = at + sought.size();
    }
    result.append(text.substr(from));
    return result;
}

} // namespace quenlo
