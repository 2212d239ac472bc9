#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace quenlo::cli {

// The one line on standard error that tells how far a long run has come:
// files done out of the total, and failures so far. It shows only once the
// run has lasted `delay`, is redrawn in place and erased at the end. The
// caller keeps it from coming between lines of output: erase() before
// printing anything, draw() after. It is shortened to fit the terminal's
// width, asked at each redraw, so that it never wraps onto a new row.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;
    using Width = std::function<std::size_t()>; // the terminal's columns; 0: not known

    ProgressLine(std::ostream &terminal, std::size_t total, Clock::time_point start,
                 Clock::duration delay = std::chrono::seconds(1), Width width = {});

    // One more file done.
    void count(bool failed);

    // Shows the line, or brings it up to date, if the run has lasted long
    // enough and it would change.
    void draw(Clock::time_point now);

    // Takes the line off the screen, if it is there.
    void erase();

    // The line for a terminal of `columns` (0: of any width), which it
    // leaves the last column of.
    std::string text(std::size_t columns = 0) const;
    bool shown() const { return shownlength_ > 0; }

private:
    std::ostream &terminal_;
    std::size_t total_;
    Clock::time_point due_;
    Width width_;
    std::size_t done_ = 0;
    std::size_t failed_ = 0;
    std::size_t shownlength_ = 0;
    std::string shown_;
};

} // namespace quenlo::cli
