// quenlo-fix's options and run, in process: what reaches standard output,
// standard error and the exit status.
#include "options.h"
#include "run.h"

#include "recordingfiles.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sstream>

#ifdef _WIN32
#include "utf16.h"
#include "winargs.h"
#include "winconsole.h"

#include <windows.h>
#endif

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
    std::string out;   // part of what goes to standard output
    std::string error; // all that goes to standard error
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
    EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), c.error);
    if (!c.error.empty()) {
        EXPECT_EQ(out.str(), "");
    }
}

std::string usageerror(const std::string &message)
{
    return "quenlo-fix: " + message + "\nTry 'quenlo-fix --help' for more information.\n";
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ParseOptionsTest,
    ::testing::Values(
        ParseCase{"files", {"A.PRJ", "B.PRJ"}, -1, false, {"A.PRJ", "B.PRJ"}, "", ""},
        ParseCase{"shortDryRun", {"-n", "A.PRJ"}, -1, true, {"A.PRJ"}, "", ""},
        ParseCase{"longDryRunAfterFile", {"A.PRJ", "--dry-run"}, -1, true, {"A.PRJ"}, "", ""},
        ParseCase{"dashNameAfterDoubleDash", {"--", "-n", "-x.PRJ", "--"}, -1, false, {"-n", "-x.PRJ", "--"}, "", ""},
        ParseCase{"repeatedFlag", {"-nn", "--dry-run", "A.PRJ"}, -1, true, {"A.PRJ"}, "", ""},
        ParseCase{"version", {"-V"}, 0, false, {}, "quenlo-fix 1.00\n", ""},
        ParseCase{"longVersion", {"--version"}, 0, false, {}, "quenlo-fix 1.00\n", ""},
        ParseCase{"help", {"--help"}, 0, false, {}, "--dry-run", ""},
        ParseCase{"firstOfHelpAndVersionAnswered", {"-hV"}, 0, false, {}, "Usage: quenlo-fix", ""},
        ParseCase{"noFile", {}, 2, false, {}, "", usageerror("missing file operand")},
        ParseCase{"unknownLongOption", {"--force", "A.PRJ"}, 2, false, {}, "",
                  usageerror("unrecognized option '--force'")},
        ParseCase{"tripleDash", {"---n", "A.PRJ"}, 2, false, {}, "", usageerror("unrecognized option '---n'")},
        ParseCase{"numberIsNoFile", {"-5.PRJ"}, 2, false, {}, "", usageerror("invalid option -- '5'")},
        ParseCase{"flagTakesNotEvenTrue", {"--dry-run=true", "A.PRJ"}, 2, false, {}, "",
                  usageerror("option '--dry-run' doesn't allow an argument")},
        // The error line names the option, quoted where it could break the line.
        ParseCase{"controlCharacterInAnOption", {"--x\ny"}, 2, false, {}, "",
                  usageerror("unrecognized option '--x'$'\\n''y'")},
        ParseCase{"controlCharacterAsALetter", {"-\x1b"}, 2, false, {}, "", usageerror("invalid option -- ''$'\\033'")}),
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
const std::string kAlreadyText = "Project file already fixed.";

INSTANTIATE_TEST_SUITE_P(
    Runs, RunTest,
    ::testing::Values(
        RunCase{"allFixed", {"/8203 a", "b/8203"}, false, 0, {kFixedText, kFixedText}, 0, {"/8202 a", "b/8202"}},
        RunCase{"oneWrongVersion", {"/8203 a", "/8201 b"}, false, 1, {kFixedText, kInvalidText}, 0,
                {"/8202 a", "/8201 b"}},
        RunCase{"missingFileFailsAndRunGoesOn", {"", "/8203 b"}, false, 2, {"", kFixedText}, 1, {"", "/8202 b"}},
        RunCase{"failureOutranksWrongVersion", {"/8201 a", ""}, false, 2, {kInvalidText, ""}, 1, {"/8201 a", ""}},
        RunCase{"dryRunWritesNothing", {"/8203 a", "/8201 b"}, true, 1,
                {"Project file needs fixing.", kInvalidText}, 0, {"/8203 a", "/8201 b"}},
        RunCase{"dryRunAllNeedFixing", {"/8203 a"}, true, 0, {"Project file needs fixing."}, 0, {"/8203 a"}},
        RunCase{"alreadyFixedCountsAsDone", {"/8203 a", "MIRD/8202x"}, false, 0, {kFixedText, kAlreadyText}, 0,
                {"/8202 a", "MIRD/8202x"}},
        RunCase{"alreadyFixedInADryRun", {"/8202 a", "/8203 b"}, true, 0, {kAlreadyText, "Project file needs fixing."},
                0, {"/8202 a", "/8203 b"}},
        RunCase{"shortFileAlreadyFixed", {"/8202"}, false, 0, {kAlreadyText}, 0, {"/8202"}},
        RunCase{"bothMarkersGetFixed", {"/8202/8203"}, false, 0, {kFixedText}, 0, {"/8202/8202"}},
        RunCase{"otherVersionAfterAlreadyFixedStillCounts", {"/8202 a", "/8201 b"}, false, 1,
                {kAlreadyText, kInvalidText}, 0, {"/8202 a", "/8201 b"}},
        RunCase{"fixedMarkerPastTheHeaderIsAnotherVersion", {"0123456789/8202"}, false, 1, {kInvalidText}, 0,
                {"0123456789/8202"}},
        RunCase{"fixedMarkerCutByTheHeaderIsAnotherVersion", {"123456/8202"}, false, 1, {kInvalidText}, 0,
                {"123456/8202"}}),
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

// A batch run again, or a file named twice, is done: nothing is written the
// second time and the exit status stays 0.
TEST(Run, shouldExitZeroWhenABatchIsRunAgain)
{
    TempDir dir;
    const auto a = dir.write("A.PRJ", "/8203 a");
    const auto b = dir.write("B.PRJ", "MIRD/8203");
    const Options batch{false, {a, b, a}};
    std::ostringstream first, second, err;

    EXPECT_EQ(quenlo::cli::run(batch, first, err), 0);
    EXPECT_EQ(quenlo::cli::run(batch, second, err), 0);

    EXPECT_EQ(first.str(), a + ": " + kFixedText + "\n" + b + ": " + kFixedText + "\n" + a + ": " + kAlreadyText + "\n");
    EXPECT_EQ(second.str(), a + ": " + kAlreadyText + "\n" + b + ": " + kAlreadyText + "\n" + a + ": " + kAlreadyText + "\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(readall(a), "/8202 a");
    EXPECT_EQ(readall(b), "MIRD/8202");
}

// Names that could fake a line or reach the terminal as control sequences
// are printed quoted, one line each; the rest of the line is as usual.
TEST(Run, shouldQuoteTheNameOfAFailedFileThatCouldBreakTheLine)
{
    TempDir dir;
    const auto folder = quenlo::test::toutf8(dir.path()) + "/";
    const Options options{false, {folder + "evil.PRJ: Project file successfully fixed.\nreal.PRJ",
                                  folder + "e\x1b[2Jx.PRJ", folder + "bad\xff.PRJ"}};
    std::ostringstream out, err;

    EXPECT_EQ(quenlo::cli::run(options, out, err), 2);

    EXPECT_EQ(out.str(), "");
    std::istringstream lines(err.str());
    const std::vector<std::string> starts{
        "quenlo-fix: '" + folder + "evil.PRJ: Project file successfully fixed.'$'\\n''real.PRJ': cannot open",
        "quenlo-fix: '" + folder + "e'$'\\033''[2Jx.PRJ': cannot open",
        "quenlo-fix: '" + folder + "bad'$'\\377''.PRJ': cannot open",
    };
    std::string line;
    for (const auto &start : starts) {
        ASSERT_TRUE(std::getline(lines, line)) << err.str();
        EXPECT_EQ(line.substr(0, start.size()), start);
    }
    EXPECT_FALSE(std::getline(lines, line)) << err.str();
}

#ifndef _WIN32
TEST(Run, shouldQuoteTheNameOfAFixedFileThatCouldFakeALine)
{
    TempDir dir;
    const auto evil = dir.write("evil.PRJ: Project file successfully fixed.\nreal.PRJ", "/8203 a");
    const auto plain = dir.write("it's \xc3\xa9.PRJ", "/8203 b");
    std::ostringstream out, err;

    EXPECT_EQ(quenlo::cli::run(Options{false, {evil, plain}, false, 1}, out, err), 0);

    const auto folder = quenlo::test::toutf8(dir.path()) + "/";
    EXPECT_EQ(out.str(), "'" + folder + "evil.PRJ: Project file successfully fixed.'$'\\n''real.PRJ': " + kFixedText
                             + "\n" + plain + ": " + kFixedText + "\n");
    EXPECT_EQ(readall(evil), "/8202 a");
}
#endif

#ifdef _WIN32
constexpr auto keep = quenlo::win::LoneSurrogate::keep;

// Arguments arrive as UTF-16; a lone surrogate must not turn into U+FFFD,
// which would name another file.
TEST(WindowsArguments, shouldKeepEveryCodeUnitDistinctInUtf8)
{
    EXPECT_EQ(quenlo::win::toutf8(L"A.PRJ", keep), "A.PRJ");
    EXPECT_EQ(quenlo::win::toutf8(L"caf\u00e9 \u65e5", keep), "caf\xc3\xa9 \xe6\x97\xa5");
    const std::wstring pair{0xD83D, 0xDE00}, lone{L'a', 0xD800, L'b'}, reversed{0xDC00, 0xD800};
    EXPECT_EQ(quenlo::win::toutf8(pair, keep), "\xf0\x9f\x98\x80");
    EXPECT_EQ(quenlo::win::toutf8(lone, keep), "a\xed\xa0\x80" "b");
    EXPECT_EQ(quenlo::win::toutf8(reversed, keep), "\xed\xb0\x80\xed\xa0\x80");
}

TEST(WindowsArguments, shouldRefuseAndQuoteANameWithALoneSurrogate)
{
    TempDir dir;
    const auto name = quenlo::test::toutf8(dir.path()) + "/" + quenlo::win::toutf8(std::wstring{L'a', 0xD800}, keep);
    std::ostringstream out, err;

    EXPECT_EQ(quenlo::cli::run(Options{false, {name}, false, 1}, out, err), 2);

    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("/a'$'\\355\\240\\200': cannot open"), std::string::npos) << err.str();
}

// The console gets whole characters as UTF-16, however the text was cut.
TEST(WindowsConsole, shouldWriteWholeCharactersAsUtf16)
{
    std::wstring written;
    quenlo::cli::WideConsoleBuffer buffer([&](std::wstring_view text) {
        written += text;
        return true;
    });
    std::ostream out(&buffer);

    out << "caf\xc3" << std::flush;
    EXPECT_EQ(written, L"caf");
    out << "\xa9 \xf0\x9f" << std::flush << "\x98\x80" << std::endl;

    const std::wstring smiley{0xD83D, 0xDE00};
    EXPECT_EQ(written, L"caf\u00e9 " + smiley + L"\n");
    EXPECT_TRUE(out.good());
}

// WriteConsoleW takes long text in pieces; an emoji at a piece's end stays
// whole, in the next piece.
TEST(WindowsConsole, shouldCutLongTextOnlyBetweenWholeCharacters)
{
    const std::wstring smiley{0xD83D, 0xDE00};
    for (const std::size_t before : {8190, 8191, 8192}) {
        const std::wstring text = std::wstring(before, L'a') + smiley + std::wstring(8190, L'b') + smiley;
        std::wstring joined;
        EXPECT_TRUE(quenlo::cli::writeinpieces(text, 8192, [&](std::wstring_view piece) {
            EXPECT_FALSE(piece.size() > 8192 || IS_HIGH_SURROGATE(piece.back()) || IS_LOW_SURROGATE(piece.front()))
                << "a piece of " << piece.size() << " after " << joined.size() << ", " << before << " before the first";
            joined += piece;
            return piece.size();
        }));
        EXPECT_EQ(joined, text);
    }
}

TEST(WindowsConsole, shouldFailTheStreamWhenTheConsoleRefuses)
{
    quenlo::cli::WideConsoleBuffer buffer([](std::wstring_view) { return false; });
    std::ostream out(&buffer);

    out << "A.PRJ: Project file successfully fixed." << std::endl;

    EXPECT_FALSE(out.good());
}
#endif

} // namespace
