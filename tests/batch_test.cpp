// quenlo-fix with several workers, in process: the same output as one by
// one, whatever the names a file goes by; every file touched is reported,
// also after Ctrl-C; the progress line only on a terminal.
#include "interrupt.h"
#include "options.h"
#include "run.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

using quenlo::cli::Options;
using quenlo::test::readall;
using quenlo::test::TempDir;
using quenlo::test::toutf8;

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome fix(const Options &options, quenlo::FileService &files = quenlo::systemfiles(), bool terminal = false)
{
    std::ostringstream out, err;
    const int status = quenlo::cli::run(options, out, err, files, {terminal, terminal, {}});
    return {status, out.str(), err.str()};
}

// Files and names for them: each file under several names (the same path,
// the path through ".", a hard link, a symbolic link), the names shuffled.
struct NamedFiles {
    std::vector<std::string> names;
};

NamedFiles makefiles(const TempDir &dir, int count)
{
    NamedFiles made;
    for (int i = 0; i < count; ++i) {
        const auto name = "P" + std::to_string(i) + ".PRJ";
        const auto path = dir.write(name, i % 5 == 4 ? "MIRD/8202 old" : "/8203 MIRD " + std::to_string(i));
        made.names.push_back(path);
        made.names.push_back(toutf8(dir.path() / "." / name));
        if (i % 3 == 0) {
            fs::create_hard_link(dir.path() / name, dir.path() / ("H" + name));
            made.names.push_back(toutf8(dir.path() / ("H" + name)));
        }
#ifndef _WIN32
        if (i % 3 == 1) {
            fs::create_symlink(name, dir.path() / ("S" + name));
            made.names.push_back(toutf8(dir.path() / ("S" + name)));
        }
#endif
        made.names.push_back(path);
    }
    made.names.push_back(toutf8(dir.path() / "missing.PRJ"));
    std::shuffle(made.names.begin(), made.names.end(), std::mt19937(2024));
    return made;
}

class SameFileTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(SameFileTest, shouldGiveWhatTheOneByOneRunGivesWhateverTheNames)
{
    TempDir one, many;
    const auto ones = makefiles(one, 40);
    const auto manys = makefiles(many, 40);
    const auto inmany = [&](std::string text) {
        for (auto at = text.find(toutf8(one.path())); at != std::string::npos;
             at = text.find(toutf8(one.path()), at + 1))
            text.replace(at, toutf8(one.path()).size(), toutf8(many.path()));
        return text;
    };

    const auto expected = fix(Options{false, ones.names, false, 1});
    const auto actual = fix(Options{false, manys.names, false, GetParam()});

    EXPECT_EQ(actual.status, expected.status);
    EXPECT_EQ(actual.out, inmany(expected.out));
    EXPECT_EQ(actual.err, inmany(expected.err));
    EXPECT_EQ(std::count(actual.out.begin(), actual.out.end(), '\n'), static_cast<long>(manys.names.size()) - 1);
    for (int i = 0; i < 40; ++i) {
        const auto name = "P" + std::to_string(i) + ".PRJ";
        EXPECT_EQ(readall(many.path() / name), readall(one.path() / name)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, SameFileTest, ::testing::Values(2U, 8U, 32U));

// The system's files, noting an interrupt at a given open.
class InterruptingFiles final : public quenlo::FileService {
public:
    explicit InterruptingFiles(int at)
        : at_(at)
    {
    }
    std::unique_ptr<quenlo::File> open(const std::string &path) override { return quenlo::systemfiles().open(path); }
    std::unique_ptr<quenlo::File> openforreading(const std::string &path) override
    {
        if (++opens_ == at_)
            quenlo::cli::noteinterrupt(SIGINT);
        return quenlo::systemfiles().openforreading(path);
    }

private:
    std::atomic<int> opens_{0};
    const int at_;
};

class InterruptTest : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override { quenlo::cli::clearinterrupt(); }
    void TearDown() override { quenlo::cli::clearinterrupt(); }
};

TEST_P(InterruptTest, shouldReportEveryFileTouchedAndStartNoMore)
{
    TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i)
        names.push_back(dir.write("P" + std::to_string(i) + ".PRJ", "/8203 x"));
    InterruptingFiles files(50);

    const auto outcome = fix(Options{false, names, false, GetParam()}, files);

    EXPECT_EQ(outcome.status, 130);
    std::string expected;
    std::size_t fixed = 0;
    for (const auto &name : names) {
        if (readall(name) == "/8202 x") {
            expected += name + ": Project file successfully fixed.\n";
            ++fixed;
        }
    }
    // The lines are those of the files fixed, which are the first ones.
    EXPECT_EQ(outcome.out, expected);
    EXPECT_GE(fixed, 50U);
    EXPECT_LT(fixed, names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(readall(names[i]), i < fixed ? "/8202 x" : "/8203 x") << names[i];
    // The notice that a second Ctrl-C stops at once may come first.
    auto err = outcome.err;
    const std::string notice = quenlo::cli::kInterruptNotice + std::string("\n");
    if (err.starts_with(notice))
        err.erase(0, notice.size());
    EXPECT_EQ(err, "quenlo-fix: interrupted: " + std::to_string(fixed) + " of 600 files done, "
                   "the others left as they were\n");
}

INSTANTIATE_TEST_SUITE_P(Jobs, InterruptTest, ::testing::Values(1U, 4U, 32U));

// Standard output that takes `room` characters and then fails, as a pipe
// whose reader has gone.
class ClosingOutput final : public std::streambuf {
public:
    explicit ClosingOutput(std::size_t room)
        : room_(room)
    {
    }
    std::string text;

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof() || text.size() >= room_)
            return traits_type::eof();
        text += static_cast<char>(c);
        return c;
    }

private:
    std::size_t room_;
};

TEST(Run, shouldStartNoNewFileOnceStandardOutputFails)
{
    TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i)
        names.push_back(dir.write("P" + std::to_string(i) + ".PRJ", "/8203 x"));
    ClosingOutput closing(2000);
    std::ostream out(&closing);
    std::ostringstream err;

    EXPECT_EQ(quenlo::cli::run(Options{false, names, false, 4}, out, err), 2);

    std::size_t fixed = 0;
    while (fixed < names.size() && readall(names[fixed]) == "/8202 x")
        ++fixed;
    for (std::size_t i = fixed; i < names.size(); ++i)
        EXPECT_EQ(readall(names[i]), "/8203 x") << names[i];
    EXPECT_LT(fixed, names.size());
    EXPECT_EQ(err.str(), "quenlo-fix: cannot write to standard output: " + std::to_string(fixed)
                             + " of 600 files done, the others left as they were\n");
    // What fitted is the start of the lines of the files fixed, in order.
    std::string lines;
    for (std::size_t i = 0; i < fixed; ++i)
        lines += names[i] + ": Project file successfully fixed.\n";
    EXPECT_EQ(closing.text.size(), 2000U);
    EXPECT_EQ(lines.rfind(closing.text, 0), 0U);
}

// The system's files, each open taking a while.
class SlowFiles final : public quenlo::FileService {
public:
    std::unique_ptr<quenlo::File> open(const std::string &path) override { return quenlo::systemfiles().open(path); }
    std::unique_ptr<quenlo::File> openforreading(const std::string &path) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        return quenlo::systemfiles().openforreading(path);
    }
};

TEST(Progress, shouldShowOnATerminalDuringALongRunAndLeaveNoTrace)
{
    TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i)
        names.push_back(dir.write("P" + std::to_string(i) + ".PRJ", "/8203 x"));
    names.push_back(toutf8(dir.path() / "missing.PRJ"));
    SlowFiles files;

    const auto onterminal = fix(Options{false, names, false, 1}, files, true);
    EXPECT_NE(onterminal.err.find("\rquenlo-fix: "), std::string::npos) << onterminal.err;
    EXPECT_NE(onterminal.err.find(" of 11 files done, 0 failed"), std::string::npos) << onterminal.err;
    // Erased before the error line and at the end, where the summary takes
    // its place.
    const auto missing = onterminal.err.find("quenlo-fix: " + names.back());
    ASSERT_NE(missing, std::string::npos);
    EXPECT_EQ(onterminal.err[missing - 1], '\r');
    EXPECT_EQ(onterminal.err.substr(onterminal.err.rfind('\r')), "\rquenlo-fix: 11 files: 10 fixed, 1 failed\n");
    EXPECT_EQ(onterminal.out.find('\r'), std::string::npos);

    for (int i = 0; i < 10; ++i)
        dir.write("P" + std::to_string(i) + ".PRJ", "/8203 x");
    const auto elsewhere = fix(Options{false, names, false, 1}, files, false);
    // Only the error line.
    EXPECT_EQ(elsewhere.err.rfind("quenlo-fix: " + names.back() + ": cannot open", 0), 0U) << elsewhere.err;
    EXPECT_EQ(std::count(elsewhere.err.begin(), elsewhere.err.end(), '\n'), 1);
    EXPECT_EQ(elsewhere.err.find('\r'), std::string::npos);
    EXPECT_EQ(elsewhere.out, onterminal.out);
}

} // namespace
