#include "progress.h"

#include <algorithm>
#include <ostream>

namespace quenlo::cli {

ProgressLine::ProgressLine(std::ostream &terminal, std::size_t total, Clock::time_point start, Clock::duration delay)
    : terminal_(terminal)
    , total_(total)
    , due_(start + delay)
{
}

void ProgressLine::count(bool failed)
{
    ++done_;
    if (failed)
        ++failed_;
}

std::string ProgressLine::text() const
{
    return "quenlo-fix: " + std::to_string(done_) + " of " + std::to_string(total_) + " files done, "
           + std::to_string(failed_) + " failed";
}

void ProgressLine::draw(Clock::time_point now)
{
    if (now < due_)
        return;
    auto line = text();
    if (shown() && line == shown_)
        return;
    // Carriage return and overwrite: no terminal control sequences, so that
    // every console shows it alike. A shorter line pads out the longer one.
    std::string padded = '\r' + line;
    if (line.size() < shownlength_)
        padded.append(shownlength_ - line.size(), ' ');
    terminal_ << padded << std::flush;
    shownlength_ = std::max(shownlength_, line.size());
    shown_ = std::move(line);
}

void ProgressLine::erase()
{
    if (!shown())
        return;
    terminal_ << '\r' << std::string(shownlength_, ' ') << '\r' << std::flush;
    shownlength_ = 0;
    shown_.clear();
}

} // namespace quenlo::cli
