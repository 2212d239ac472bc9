// The Open-file dialog object over a scripted dialog: its filter, its one
// action and what a cancel does.
#include "commondialog.h"

#include "error.h"
#include "scripteddialogs.h"

#include <gtest/gtest.h>

using quenlo::CommonDialog;
using quenlo::FileFilter;
using quenlo::test::ScriptedDialogs;

namespace {

struct FilterCase {
    const char *name;
    std::string filter;
    std::vector<FileFilter> filters;
};

class CommonDialogFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(CommonDialogFilter, shouldShowTheFilterAsFileTypes)
{
    ScriptedDialogs dialogs;
    CommonDialog cmdialog1(dialogs);
    cmdialog1.setFilter(GetParam().filter);
    cmdialog1.setAction(CommonDialog::kShowOpen);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filters, GetParam().filters);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, CommonDialogFilter,
    ::testing::Values(
        FilterCase{"none", "", {}},
        FilterCase{"oneEntry", "Projects (*.PRJ)|*.PRJ", {{"Projects (*.PRJ)", {"*.PRJ"}}}},
        FilterCase{"twoEntries", "A|*.a|B|*.b", {{"A", {"*.a"}}, {"B", {"*.b"}}}},
        FilterCase{"severalPatterns", "Both|*.PRJ; *.BAK;", {{"Both", {"*.PRJ", "*.BAK"}}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CommonDialog, shouldRefuseAFilterWithoutAPatternAndKeepTheOldOne)
{
    ScriptedDialogs dialogs;
    CommonDialog cmdialog1(dialogs);
    cmdialog1.setFilter("A|*.a");
    EXPECT_THROW(cmdialog1.setFilter("Project files"), quenlo::Error);
    EXPECT_EQ(cmdialog1.filter(), "A|*.a");
}

TEST(CommonDialog, shouldRefuseAnUnknownActionWithoutShowingTheDialog)
{
    ScriptedDialogs dialogs;
    CommonDialog cmdialog1(dialogs);
    EXPECT_THROW(cmdialog1.setAction(2), quenlo::Error);
    EXPECT_TRUE(dialogs.requests.empty());
}

// A cancel keeps the name chosen before; it raises the cancel error only
// when asked to.
class CommonDialogCancel : public ::testing::TestWithParam<bool> {};

TEST_P(CommonDialogCancel, shouldKeepTheNameWhenCancelled)
{
    const bool cancelerror = GetParam();
    ScriptedDialogs dialogs;
    dialogs.answers = {std::string("/data/KEPT.PRJ"), ScriptedDialogs::Cancel{}};
    CommonDialog cmdialog1(dialogs);
    cmdialog1.setCancelError(cancelerror);
    cmdialog1.setAction(CommonDialog::kShowOpen);

    int number = 0;
    try {
        cmdialog1.setAction(CommonDialog::kShowOpen);
    } catch (const quenlo::Error &error) {
        number = error.number();
    }

    EXPECT_EQ(number, cancelerror ? quenlo::kCancelError : 0);
    EXPECT_EQ(cmdialog1.fileName(), "/data/KEPT.PRJ");
    EXPECT_EQ(dialogs.requests.back().fileName, "/data/KEPT.PRJ");
}

INSTANTIATE_TEST_SUITE_P(CancelError, CommonDialogCancel, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "raised" : "quiet"; });

} // namespace
