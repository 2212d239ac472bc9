#include "progress.h"

#include <algorithm>
#include <ostream>

namespace quenlo::cli {

ProgressLine::ProgressLine(std::ostream &terminal, std::size_t total, Clock::time_point start, Clock::duration delay,
                           Width width)
    : terminal_(terminal)
    , total_(total)
    , due_(start + delay)
    , width_(std::move(width))
{
}

void ProgressLine::count(bool failed)
{
    ++done_;
    if (failed)
        ++failed_;
}

std::string ProgressLine::text(std::size_t columns) const
{
    const auto done = std::to_string(done_), total = std::to_string(total_), failed = std::to_string(failed_);
    const std::string forms[] = {
        "quenlo-fix: " + done + " of " + total + " files done, " + failed + " failed",
        done + " of " + total + " files done, " + failed + " failed",
        done + "/" + total + " done, " + failed + " failed",
        done + "/" + total + ", " + failed + " failed",
        done + "/" + total,
    };
    if (columns == 0)
        return forms[0];
    // Writing into the last column would leave some terminals waiting to
    // wrap.
    const std::size_t room = columns - 1;
    for (const auto &form : forms)
        if (form.size() <= room)
            return form;
    return forms[std::size(forms) - 1].substr(0, room);
}

void ProgressLine::draw(Clock::time_point now)
{
    if (now < due_)
        return;
    const std::size_t columns = width_ ? width_() : 0;
    auto line = text(columns);
    if (shown() && line == shown_)
        return;
    // Carriage return and overwrite: no terminal control sequences, so that
    // every console shows it alike. A shorter line pads out the longer one.
    // A narrower terminal has no columns left to pad.
    const std::size_t longest = columns > 0 ? std::min(shownlength_, columns - 1) : shownlength_;
    std::string padded = '\r' + line;
    if (line.size() < longest)
        padded.append(longest - line.size(), ' ');
    terminal_ << padded << std::flush;
    shownlength_ = std::max(longest, line.size());
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
