// The progress line: when it shows, what it says, and that it leaves no
// trace.
#include "progress.h"

#include <gtest/gtest.h>

#include <sstream>

using quenlo::cli::ProgressLine;
using namespace std::chrono_literals;

namespace {

const auto kStart = ProgressLine::Clock::time_point{} + 100s;

TEST(ProgressLine, shouldStayHiddenDuringTheFirstSecond)
{
    std::ostringstream terminal;
    ProgressLine progress(terminal, 10, kStart);
    progress.count(false);
    progress.draw(kStart + 999ms);
    progress.erase();
    EXPECT_EQ(terminal.str(), "");
    EXPECT_FALSE(progress.shown());
}

TEST(ProgressLine, shouldTellDoneOutOfTotalAndFailuresAndRedrawInPlace)
{
    std::ostringstream terminal;
    ProgressLine progress(terminal, 10000, kStart);
    for (int i = 0; i < 120; ++i)
        progress.count(i % 50 == 0);
    progress.draw(kStart + 1100ms);
    EXPECT_EQ(terminal.str(), "\rquenlo-fix: 120 of 10000 files done, 3 failed");

    progress.draw(kStart + 1300ms); // nothing changed: nothing written
    EXPECT_EQ(terminal.str(), "\rquenlo-fix: 120 of 10000 files done, 3 failed");

    progress.count(false);
    progress.draw(kStart + 1500ms);
    EXPECT_EQ(terminal.str(), "\rquenlo-fix: 120 of 10000 files done, 3 failed"
                              "\rquenlo-fix: 121 of 10000 files done, 3 failed");
}

TEST(ProgressLine, shouldEraseTheWholeLineAndShowAgainAfterward)
{
    std::ostringstream terminal;
    ProgressLine progress(terminal, 5, kStart);
    progress.count(true);
    progress.draw(kStart + 2s);
    const auto line = progress.text();
    terminal.str("");

    progress.erase();
    EXPECT_EQ(terminal.str(), "\r" + std::string(line.size(), ' ') + "\r");
    EXPECT_FALSE(progress.shown());
    progress.erase(); // already gone: nothing more
    EXPECT_EQ(terminal.str(), "\r" + std::string(line.size(), ' ') + "\r");

    terminal.str("");
    progress.draw(kStart + 3s);
    EXPECT_EQ(terminal.str(), "\r" + line);
}

// A narrow terminal gets a shorter line, never one that wraps onto a new
// row at each redraw.
TEST(ProgressLine, shouldShortenTheLineToFitTheTerminal)
{
    std::ostringstream terminal;
    std::size_t columns = 0;
    ProgressLine progress(terminal, 10000, kStart, 1s, [&] { return columns; });
    for (int i = 0; i < 120; ++i)
        progress.count(i % 50 == 0);
    const std::pair<std::size_t, std::string> table[] = {
        {0, "quenlo-fix: 120 of 10000 files done, 3 failed"}, {80, "quenlo-fix: 120 of 10000 files done, 3 failed"},
        {40, "120 of 10000 files done, 3 failed"},            {30, "120/10000 done, 3 failed"},
        {20, "120/10000, 3 failed"},                          {6, "120/1"},
    };
    for (const auto &[width, line] : table) {
        columns = width;
        progress.erase();
        terminal.str("");
        progress.draw(kStart + 2s);
        EXPECT_EQ(terminal.str(), "\r" + line) << width;
    }
}

} // namespace
