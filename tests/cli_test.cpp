// quenlo-fix's options and run, in process: what reaches standard output,
// standard error and the exit status.
#include "options.h"
#include "run.h"

#include "recordingfiles.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sstream>

using quenlo::cli::Options;
using quenlo::test::readall;
using quenlo::test::TempDir;

namespace {

struct ParseCase {
    const char *name;
    std::vector<std::string> args;
    int status;        // -1: options to run
    bool dryrun;
    std::vector<std::string> files;
    std::string output; // part of what goes to standard output or error
};

std::ostream &operator<<(std::ostream &out, const ParseCase &c) { return out << c.name; }

class ParseOptionsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseOptionsTest, shouldTurnTheCommandLineIntoOptionsOrAnExitStatus)
{
    const auto &c = GetParam();
    std::ostringstream out, err;
    const auto parsed = quenlo::cli::parseoptions(c.args, out, err);

    if (c.status < 0) {
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << err.str();
        EXPECT_EQ(std::get<Options>(parsed).dryrun, c.dryrun);
        EXPECT_EQ(std::get<Options>(parsed).files, c.files);
    } else {
        ASSERT_TRUE(std::holds_alternative<int>(parsed));
        EXPECT_EQ(std::get<int>(parsed), c.status);
    }
    EXPECT_NE((out.str() + err.str()).find(c.output), std::string::npos) << out.str() << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ParseOptionsTest,
    ::testing::Values(ParseCase{"files", {"A.PRJ", "B.PRJ"}, -1, false, {"A.PRJ", "B.PRJ"}, ""},
                      ParseCase{"shortDryRun", {"-n", "A.PRJ"}, -1, true, {"A.PRJ"}, ""},
                      ParseCase{"longDryRunAfterFile", {"A.PRJ", "--dry-run"}, -1, true, {"A.PRJ"}, ""},
                      ParseCase{"dashNameAfterDoubleDash", {"--", "-n", "-x.PRJ"}, -1, false, {"-n", "-x.PRJ"}, ""},
                      ParseCase{"version", {"-V"}, 0, false, {}, "quenlo-fix 1.00\n"},
                      ParseCase{"longVersion", {"--version"}, 0, false, {}, "quenlo-fix 1.00\n"},
                      ParseCase{"help", {"--help"}, 0, false, {}, "--dry-run"},
                      ParseCase{"noFile", {}, 2, false, {}, "Try 'quenlo-fix --help'"},
                      ParseCase{"unknownOption", {"--force", "A.PRJ"}, 2, false, {}, "quenlo-fix: "}),
    [](const auto &info) { return std::string(info.param.name); });

struct RunCase {
    const char *name;
    std::vector<std::string> contents; // one file each; "" is a missing file
    bool dryrun;
    int status;
    std::vector<std::string> lines; // standard output, one per file that did not fail
    std::size_t errors;
    std::vector<std::string> after; // the files afterwards
};

std::ostream &operator<<(std::ostream &out, const RunCase &c) { return out << c.name; }

class RunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunTest, shouldReportEachFileAndGoOnAfterAFailure)
{
    const auto &c = GetParam();
    TempDir dir;
    Options options{c.dryrun, {}, false, 1};
    std::string expected;
    for (std::size_t i = 0; i < c.contents.size(); ++i) {
        const auto name = "F" + std::to_string(i) + ".PRJ";
        options.files.push_back(c.contents[i].empty() ? (dir.path() / name).string() : dir.write(name, c.contents[i]));
        if (!c.lines[i].empty())
            expected += options.files[i] + ": " + c.lines[i] + "\n";
    }
    std::ostringstream out, err;

    EXPECT_EQ(quenlo::cli::run(options, out, err), c.status);

    EXPECT_EQ(out.str(), expected);
    const auto errors = err.str();
    EXPECT_EQ(static_cast<std::size_t>(std::count(errors.begin(), errors.end(), '\n')), c.errors) << errors;
    for (std::size_t i = 0; i < c.contents.size(); ++i) {
        if (!c.contents[i].empty()) {
            EXPECT_EQ(readall(options.files[i]), c.after[i]);
        }
    }
}

const std::string kFixedText = "Project file successfully fixed.";
const std::string kInvalidText = "Invalid MIRD Project file version.";

INSTANTIATE_TEST_SUITE_P(
    Runs, RunTest,
    ::testing::Values(
        RunCase{"allFixed", {"/8203 a", "b/8203"}, false, 0, {kFixedText, kFixedText}, 0, {"/8202 a", "b/8202"}},
        RunCase{"oneWrongVersion", {"/8203 a", "/8202 b"}, false, 1, {kFixedText, kInvalidText}, 0,
                {"/8202 a", "/8202 b"}},
        RunCase{"missingFileFailsAndRunGoesOn", {"", "/8203 b"}, false, 2, {"", kFixedText}, 1, {"", "/8202 b"}},
        RunCase{"failureOutranksWrongVersion", {"/8201 a", ""}, false, 2, {kInvalidText, ""}, 1, {"/8201 a", ""}},
        RunCase{"dryRunWritesNothing", {"/8203 a", "/8202 b"}, true, 1,
                {"Project file needs fixing.", kInvalidText}, 0, {"/8203 a", "/8202 b"}},
        RunCase{"dryRunAllNeedFixing", {"/8203 a"}, true, 0, {"Project file needs fixing."}, 0, {"/8203 a"}}),
    [](const auto &info) { return std::string(info.param.name); });

// The file is flushed before the outcome is known, but a run whose close
// fails has still failed: no success line may stand before the error.
TEST(Run, shouldPrintNoSuccessLineWhenClosingFails)
{
    TempDir dir;
    const auto path = dir.write("A.PRJ", "/8203 a");
    quenlo::test::RecordingFiles files;
    files.fault = quenlo::test::RecordingFiles::Fault{"close", 5};
    std::ostringstream out, err;

    EXPECT_EQ(quenlo::cli::run(Options{false, {path}, false, 1}, out, err, files), 2);

    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "quenlo-fix: " + path + ": cannot close: injected fault\n");
}

} // namespace
