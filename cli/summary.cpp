#include "summary.h"

#include <numeric>

namespace quenlo::cli {

std::string withthousands(std::size_t number)
{
    auto digits = std::to_string(number);
    for (auto at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

std::size_t Summary::files() const
{
    return std::accumulate(counts_.begin(), counts_.end(), std::size_t{0});
}

std::string Summary::text() const
{
    const auto of = [&](Outcome outcome) { return counts_[static_cast<std::size_t>(outcome)]; };
    const std::size_t needing = of(Outcome::NeedsFixing);
    const std::pair<std::size_t, std::string_view> parts[] = {
        {of(Outcome::Fixed), "fixed"},
        {needing, needing == 1 ? "needs fixing" : "need fixing"},
        {of(Outcome::AlreadyFixed), "already fixed"},
        {of(Outcome::OtherVersion), "of another version"},
        {of(Outcome::Failed), "failed"},
    };
    const auto total = files();
    std::string text = "quenlo-fix: " + withthousands(total) + (total == 1 ? " file" : " files");
    char between = ':';
    for (const auto &[count, what] : parts) {
        if (count == 0)
            continue;
        text += between;
        text += ' ' + withthousands(count) + ' ';
        text += what;
        between = ',';
    }
    return text;
}

} // namespace quenlo::cli
