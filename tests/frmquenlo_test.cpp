// The window's own code without a toolkit: the selection through the Open
// dialog and the Fix command, over fake controls, a scripted dialog and
// recorded message boxes.
#include "frmquenlo.h"

#include "fakecontrols.h"
#include "report.h"
#include "recordingfiles.h"
#include "scripteddialogs.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

using quenlo::test::readall;
using quenlo::test::ScriptedDialogs;
using quenlo::test::TempDir;

namespace {

// The report as one line: wrapping breaks lines only after a space or a
// path separator, so taking the breaks out gives back the words.
std::string unwrapped(std::string text)
{
    std::erase(text, '\n');
    return text;
}

struct Window {
    quenlo::test::FakeControls controls{quenlo::frmquenlo::description()};
    ScriptedDialogs dialogs;
    quenlo::test::RecordingMessages messages;
    quenlo::test::RecordingFiles files;
    quenlo::frmquenlo form{{controls, dialogs, messages}, files};

    std::string pathbox() { return controls.control(quenlo::frmquenlo::txtinput).text(); }
    bool fixenabled() { return controls.control(quenlo::frmquenlo::cmdfix).enabled(); }
    void select(const std::string &path)
    {
        dialogs.answers.emplace_back(path);
        form.click(quenlo::frmquenlo::cmdselect);
    }
    void fix() { form.click(quenlo::frmquenlo::cmdfix); }
};

TEST(FrmquenloSelection, shouldStartWithNothingSelected)
{
    Window w;
    EXPECT_EQ(w.pathbox(), "");
    EXPECT_EQ(w.form.selectedpath(), "");
    EXPECT_FALSE(w.fixenabled());
    EXPECT_TRUE(w.dialogs.requests.empty());
}

TEST(FrmquenloSelection, shouldChangeNothingWhenTheFirstSelectionIsCancelled)
{
    Window w;
    w.dialogs.answers.emplace_back(ScriptedDialogs::Cancel{});
    w.form.click(quenlo::frmquenlo::cmdselect);
    EXPECT_EQ(w.pathbox(), "");
    EXPECT_EQ(w.form.selectedpath(), "");
    EXPECT_FALSE(w.fixenabled());
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(FrmquenloSelection, shouldKeepPathWhenDialogIsCancelled)
{
    Window w;
    w.select("/data/FIRST.PRJ");
    w.dialogs.answers.emplace_back(ScriptedDialogs::Cancel{});
    w.form.click(quenlo::frmquenlo::cmdselect);
    EXPECT_EQ(w.pathbox(), "/data/FIRST.PRJ");
    EXPECT_EQ(w.form.selectedpath(), "/data/FIRST.PRJ");
    EXPECT_TRUE(w.fixenabled());
}

TEST(FrmquenloSelection, shouldReplaceThePathOnASecondSelection)
{
    Window w;
    w.select("/data/FIRST.PRJ");
    w.select("/data/SECOND.PRJ");
    EXPECT_EQ(w.pathbox(), "/data/SECOND.PRJ");
    EXPECT_EQ(w.form.selectedpath(), "/data/SECOND.PRJ");
}

TEST(FrmquenloSelection, shouldReopenTheDialogOnThePreviousNameWithItsTitleAndFilter)
{
    Window w;
    w.select("/data/FIRST.PRJ");
    w.select("/data/SECOND.PRJ");
    ASSERT_EQ(w.dialogs.requests.size(), 2u);
    EXPECT_EQ(w.dialogs.requests[0].fileName, "");
    EXPECT_EQ(w.dialogs.requests[1].fileName, "/data/FIRST.PRJ");
    const std::vector<quenlo::FileFilter> filters{{"MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)", {"*.PRJ"}}};
    for (const auto &request : w.dialogs.requests) {
        EXPECT_EQ(request.title, "Open Project");
        EXPECT_EQ(request.filters, filters);
    }
    EXPECT_TRUE(w.form.dialog().cancelError());
}

// A dialog that fails for another reason than a cancel does not stop the
// selection: the name it holds is still taken and Fix lit up.
class FrmquenloFailingDialog : public ::testing::TestWithParam<std::string> {};

TEST_P(FrmquenloFailingDialog, shouldCopyTheDialogsNameWhenTheDialogFails)
{
    const auto &earlier = GetParam();
    Window w;
    if (!earlier.empty())
        w.select(earlier);
    w.dialogs.answers.emplace_back(quenlo::Error(32765, {}, "dialog failed"));
    w.form.click(quenlo::frmquenlo::cmdselect);
    EXPECT_EQ(w.pathbox(), earlier);
    EXPECT_EQ(w.form.selectedpath(), earlier);
    EXPECT_TRUE(w.fixenabled());
    EXPECT_TRUE(w.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(EarlierNames, FrmquenloFailingDialog, ::testing::Values("", "/data/EARLIER.PRJ"),
                         [](const auto &info) { return info.param.empty() ? "firstUse" : "earlierNameKept"; });

// A window without a control that the code names is a fault of the program:
// the selection is not to pass over it and light Fix up beside no path.
TEST(FrmquenloSelection, shouldNotPassOverAControlMissingFromTheWindow)
{
    Window w;
    auto selectonly = quenlo::frmquenlo::description();
    selectonly.controls = selectonly.controls.first(1);
    w.controls = quenlo::test::FakeControls(selectonly);
    EXPECT_THROW(w.select("/data/A.PRJ"), quenlo::ProgrammingError);
    EXPECT_EQ(w.form.selectedpath(), "");
}

TEST(FrmquenloFix, shouldFixTheSelectedFileNotTheTextOfThePathBox)
{
    TempDir dir;
    const auto chosen = dir.write("CHOSEN.PRJ", "/8203 chosen");
    const auto typed = dir.write("TYPED.PRJ", "/8203 typed");
    Window w;
    w.select(chosen);
    w.controls.control(quenlo::frmquenlo::txtinput).settext(typed);

    w.fix();

    EXPECT_EQ(readall(chosen), "/8202 chosen");
    EXPECT_EQ(readall(typed), "/8203 typed");
}

TEST(FrmquenloFix, shouldReportSuccessThenInvalidVersionWhenFixedTwice)
{
    TempDir dir;
    const auto path = dir.write("GOOD.PRJ", "MIRD /8203 and the rest");
    Window w;
    w.select(path);

    w.fix();
    w.fix();

    EXPECT_EQ(readall(path), "MIRD /8202 and the rest");
    ASSERT_EQ(w.messages.shown.size(), 2u);
    EXPECT_EQ(w.messages.shown[0].text, "Project file successfully fixed.");
    EXPECT_EQ(w.messages.shown[1].text, "Invalid MIRD Project file version.");
    for (const auto &shown : w.messages.shown) {
        EXPECT_EQ(shown.title, "Fix Result");
        EXPECT_FALSE(shown.error);
    }
    EXPECT_TRUE(w.fixenabled());
    EXPECT_EQ(std::string(w.form.headerbuffer().data(), 10), "MIRD /8202");
}

// A disk that fails while the header is read, written or flushed: no
// outcome is shown, only the failure, and the file is whole or exactly fixed.
struct DiskCase {
    const char *call;
    const char *after;
};

class FrmquenloFailingDisk : public ::testing::TestWithParam<DiskCase> {};

TEST_P(FrmquenloFailingDisk, shouldReportAFailingDiskWithoutAnOutcome)
{
    TempDir dir;
    const auto path = dir.write("DISK.PRJ", "/8203 disk");
    Window w;
    w.files.fault = quenlo::test::RecordingFiles::Fault{GetParam().call, 5};
    w.select(path);

    w.fix();

    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_TRUE(w.messages.shown[0].error);
    EXPECT_NE(unwrapped(w.messages.shown[0].text).find("cannot " + std::string(GetParam().call)), std::string::npos);
    EXPECT_EQ(readall(path), GetParam().after);
    EXPECT_TRUE(w.fixenabled());
}

INSTANTIATE_TEST_SUITE_P(Calls, FrmquenloFailingDisk,
                         ::testing::Values(DiskCase{"read", "/8203 disk"}, DiskCase{"write", "/8203 disk"},
                                           DiskCase{"flush", "/8202 disk"}),
                         [](const auto &info) { return std::string(info.param.call); });

// The file went away between the selection and Fix: the failure is
// reported, nothing is created, and the window goes on as it was.
TEST(FrmquenloFix, shouldReportAnErrorInFixAndGoOn)
{
    TempDir dir;
    const auto path = dir.write("GONE.PRJ", "/8203");
    Window w;
    w.select(path);
    std::filesystem::remove(quenlo::test::fromutf8(path));

    w.fix();

    ASSERT_EQ(w.messages.shown.size(), 1u);
    const auto &report = w.messages.shown[0];
    EXPECT_TRUE(report.error);
    EXPECT_EQ(report.title, "Quenlo");
    EXPECT_EQ(report.text.rfind("The project file could not be fixed.\n\n", 0), 0u);
    EXPECT_NE(unwrapped(report.text).find("(error 2)"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(quenlo::test::fromutf8(path)));
    EXPECT_EQ(w.form.selectedpath(), path);
    EXPECT_TRUE(w.fixenabled());

    const auto next = dir.write("NEXT.PRJ", "/8203");
    w.select(next);
    w.fix();
    EXPECT_EQ(w.messages.shown.back().text, "Project file successfully fixed.");
}

// Folder names of 200 characters: the report keeps the whole path but in
// lines a box on the screen can hold.
TEST(FrmquenloFix, shouldWrapALongPathInTheErrorReport)
{
    TempDir dir;
    const std::string folder(200, 'f');
    const auto path = quenlo::test::toutf8(dir.path() / folder / folder / "MISSING.PRJ");
    Window w;
    w.select(path);

    w.fix();

    ASSERT_EQ(w.messages.shown.size(), 1u);
    const auto &text = w.messages.shown[0].text;
    std::string joined;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = text.find('\n', start);
        const auto line = text.substr(start, end == std::string::npos ? end : end - start);
        EXPECT_LE(line.size(), quenlo::kReportLineWidth) << line;
        joined += line;
    }
    EXPECT_NE(joined.find(path), std::string::npos);
}

} // namespace
