// The whole fix on real files: what is rewritten, what is left alone, and
// in which order the file and the message are handled.
#include "fixprojectfile.h"

#include "error.h"
#include "recordingfiles.h"
#include "tempdir.h"

#include <gtest/gtest.h>

using namespace std::string_literals;
using quenlo::FixOutcome;
using quenlo::ProjectHeader;
using quenlo::test::readall;
using quenlo::test::RecordingFiles;
using quenlo::test::RecordingMessages;
using quenlo::test::TempDir;

namespace {

const std::string kTail = "\r\nrest of the project \x00\xff\x80 never touched"s;

struct HeaderCase {
    const char *name;
    std::string before;
    std::string after;
    FixOutcome outcome;
};

std::ostream &operator<<(std::ostream &out, const HeaderCase &c) { return out << c.name; }

class FixProjectFileTest : public ::testing::TestWithParam<HeaderCase> {
protected:
    TempDir dir;
    ProjectHeader prjheader{};
};

TEST_P(FixProjectFileTest, shouldRewriteOnlyTheMarkerAndReportTheOutcome)
{
    const auto &c = GetParam();
    const auto path = dir.write("PROJECT.PRJ", c.before);
    RecordingMessages messages;

    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), c.outcome);

    EXPECT_EQ(readall(path), c.after);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, quenlo::outcometext(c.outcome));
    EXPECT_EQ(messages.shown[0].title, "Fix Result");
    const auto kept = std::min(c.after.size(), prjheader.size());
    EXPECT_EQ(std::string(prjheader.data(), kept), c.after.substr(0, kept));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, FixProjectFileTest,
    ::testing::Values(
        HeaderCase{"markerAtFirstByte", "/8203 MIRD" + kTail, "/8202 MIRD" + kTail, FixOutcome::Fixed},
        HeaderCase{"markerAtSixthByte", "MIRD8/8203" + kTail, "MIRD8/8202" + kTail, FixOutcome::Fixed},
        HeaderCase{"markerAtSeventhByteCrossesTheHeader", "MIRD88/8203" + kTail, "MIRD88/8203" + kTail,
                   FixOutcome::InvalidVersion},
        HeaderCase{"markerTwiceFillsTheHeader", "/8203/8203" + kTail, "/8202/8202" + kTail, FixOutcome::Fixed},
        HeaderCase{"markerOnlyAfterTheTenthByte", "0123456789/8203", "0123456789/8203", FixOutcome::InvalidVersion},
        HeaderCase{"markerInsideAndAfterTheHeader", "/8203ABCDE/8203", "/8202ABCDE/8203", FixOutcome::Fixed},
        HeaderCase{"backslashIsNotTheMarker", "\\8203 MIRD" + kTail, "\\8203 MIRD" + kTail,
                   FixOutcome::InvalidVersion},
        HeaderCase{"alreadyFixed", "/8202 MIRD" + kTail, "/8202 MIRD" + kTail, FixOutcome::InvalidVersion},
        HeaderCase{"otherVersion", "/8201 MIRD" + kTail, "/8201 MIRD" + kTail, FixOutcome::InvalidVersion},
        HeaderCase{"binaryBytesAroundTheMarker", "\x00\xff/8203\x80\x01\x02"s + kTail,
                   "\x00\xff/8202\x80\x01\x02"s + kTail, FixOutcome::Fixed},
        HeaderCase{"exactlyTenBytes", "1234/8203X", "1234/8202X", FixOutcome::Fixed},
        HeaderCase{"shortFileKeepsItsLength", "/8203", "/8202", FixOutcome::Fixed},
        HeaderCase{"shortFileWithCutMarker", "ab/820", "ab/820", FixOutcome::InvalidVersion},
        HeaderCase{"emptyFile", "", "", FixOutcome::InvalidVersion}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FixProjectFile, shouldReportInvalidVersionWhenFixedTwice)
{
    TempDir dir;
    const auto path = dir.write("TWICE.PRJ", "MIRD/8203x" + kTail);
    ProjectHeader prjheader{};
    RecordingMessages messages;

    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), FixOutcome::Fixed);
    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), FixOutcome::InvalidVersion);

    EXPECT_EQ(readall(path), "MIRD/8202x" + kTail);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Project file successfully fixed.");
    EXPECT_EQ(messages.shown[1].text, "Invalid MIRD Project file version.");
}

// What an earlier fix left in the buffer must never reach another file.
TEST(FixProjectFile, shouldNotMatchWhatAnEarlierFixLeftInTheHeader)
{
    TempDir dir;
    ProjectHeader prjheader{};
    std::copy_n("12345/8203", 10, prjheader.begin());
    const auto path = dir.write("SHORT.PRJ", "12345");
    RecordingMessages messages;

    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), FixOutcome::InvalidVersion);

    EXPECT_EQ(readall(path), "12345");
    EXPECT_EQ(std::string(prjheader.data(), prjheader.size()), "12345\0\0\0\0\0"s);
}

TEST(FixProjectFile, shouldNotCarryEarlierBytesIntoAFixedShortFile)
{
    TempDir dir;
    ProjectHeader prjheader{};
    std::copy_n("AAAAAAAAAA", 10, prjheader.begin());
    const auto path = dir.write("SHORT.PRJ", "/8203!");
    RecordingMessages messages;

    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), FixOutcome::Fixed);

    EXPECT_EQ(readall(path), "/8202!");
}

struct OrderCase {
    const char *name;
    std::string content;
    std::vector<std::string> events;
};

class FixOrderTest : public ::testing::TestWithParam<OrderCase> {};

// The message is shown while the file is open, and the file is closed once
// it has been dismissed; success is shown only after the flush. Other
// programs are held off around the second read and the write only.
TEST_P(FixOrderTest, shouldShowTheOutcomeAfterFlushingAndBeforeClosing)
{
    TempDir dir;
    const auto path = dir.write("ORDER.PRJ", GetParam().content);
    RecordingFiles files;
    RecordingMessages messages(&files.events);
    ProjectHeader prjheader{};

    quenlo::fixprojectfile(path, prjheader, messages, files);

    EXPECT_EQ(files.events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FixOrderTest,
    ::testing::Values(OrderCase{"fixed", "/8203" + kTail,
                                {"open", "read", "hold", "read", "write", "flush", "let go", "show", "close"}},
                      OrderCase{"invalidVersion", "/8202" + kTail, {"open", "read", "show", "close"}}),
    [](const auto &info) { return std::string(info.param.name); });

struct FaultCase {
    const char *name;
    RecordingFiles::Fault fault;
    std::string expected; // the file afterwards
    bool shown;           // was the outcome shown before the failure
};

class FixFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FixFaultTest, shouldReportTheFailureAndLeaveTheFileWholeOrExactlyFixed)
{
    const auto &c = GetParam();
    TempDir dir;
    const auto path = dir.write("FAULT.PRJ", "/8203/8203" + kTail);
    RecordingFiles files;
    files.fault = c.fault;
    RecordingMessages messages;
    ProjectHeader prjheader{};

    try {
        quenlo::fixprojectfile(path, prjheader, messages, files);
        FAIL() << "the fault was not reported";
    } catch (const quenlo::Error &error) {
        EXPECT_EQ(error.number(), c.fault.number);
        EXPECT_EQ(error.subject(), path);
        EXPECT_NE(std::string(error.what()).find("cannot " + c.fault.call), std::string::npos) << error.what();
    }

    EXPECT_EQ(readall(path), c.expected + kTail);
    EXPECT_EQ(messages.shown.size(), c.shown ? 1u : 0u);
}

const std::string kAsRead = "/8203/8203";
const std::string kFixed = "/8202/8202";

INSTANTIATE_TEST_SUITE_P(
    Faults, FixFaultTest,
    ::testing::Values(FaultCase{"readFails", {"read", 5}, kAsRead, false},
                      FaultCase{"writeFails", {"write", 28}, kAsRead, false},
                      FaultCase{"writeStopsAfterOneMarkerAndStaysBroken", {"write", 28, 5}, kAsRead, false},
                      FaultCase{"writeStopsAfterOneMarkerOnce", {"write", 28, 5, 0, false}, kAsRead, false},
                      FaultCase{"flushFails", {"flush", 5}, kFixed, false},
                      FaultCase{"closeFails", {"close", 5}, kFixed, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CheckProjectFile, shouldTellWhetherAFixIsNeededWithoutWriting)
{
    TempDir dir;
    const auto needs = dir.write("NEEDS.PRJ", "/8203" + kTail);
    const auto fixed = dir.write("FIXED.PRJ", "/8202" + kTail);
    RecordingFiles files;
    ProjectHeader prjheader{};

    EXPECT_EQ(quenlo::checkprojectfile(needs, prjheader, files).outcome, FixOutcome::Fixed);
    EXPECT_EQ(quenlo::checkprojectfile(fixed, prjheader, files).outcome, FixOutcome::InvalidVersion);

    EXPECT_EQ(readall(needs), "/8203" + kTail);
    EXPECT_EQ(files.events, (std::vector<std::string>{"open for reading", "read", "close", "open for reading", "read",
                                                      "close"}));
}

// The batch's order: a file is opened for writing only when it needs the
// fix, so a run again over fixed files writes nothing anywhere; a file that
// needs none counts only as read again under the shared lock.
TEST(FixIfNeeded, shouldOpenForWritingOnlyAFileThatNeedsTheFix)
{
    TempDir dir;
#ifdef _WIN32
    // The look is already shared with no writer: no lock of its own to take.
    const std::vector<std::string> nofix{"open for look", "read", "lock for reading", "close"};
#else
    const std::vector<std::string> nofix{"open for look", "read", "lock for reading", "read", "close"};
#endif
    const std::pair<std::string, std::vector<std::string>> table[] = {
        {"/8203", {"open for look", "read", "reopen for update", "hold", "read", "write", "flush", "close"}},
        {"/8202", nofix},
        {"/8201", nofix},
    };
    for (const auto &[header, events] : table) {
        const auto path = dir.write("A.PRJ", header + kTail);
        RecordingFiles files;
        ProjectHeader prjheader{};
        const auto outcome = quenlo::fixifneeded(path, prjheader, files);
        EXPECT_EQ(outcome, header == "/8203" ? FixOutcome::Fixed : FixOutcome::InvalidVersion) << header;
        EXPECT_EQ(files.events, events) << header;
        EXPECT_EQ(readall(path), (header == "/8203" ? "/8202" : header) + kTail);
        EXPECT_EQ(std::string(prjheader.data(), 5), header == "/8203" ? "/8202" : header);
    }
}

} // namespace
