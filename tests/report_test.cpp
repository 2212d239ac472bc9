// Wrapping the error report so that a long path stays within the box.
#include "report.h"

#include <gtest/gtest.h>

namespace {

struct WrapCase {
    const char *name;
    std::string text;
    std::size_t width;
    std::string wrapped;
};

class WrapLines : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapLines, shouldBreakOnlyLinesTooLongForTheWidth)
{
    EXPECT_EQ(quenlo::wraplines(GetParam().text, GetParam().width), GetParam().wrapped);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapLines,
    ::testing::Values(
        WrapCase{"shortLineUnchanged", "/a/b: gone", 20, "/a/b: gone"},
        WrapCase{"exactWidthUnchanged", "0123456789", 10, "0123456789"},
        WrapCase{"afterTheLastSeparatorThatFits", "/home/user/projects/A.PRJ", 12, "/home/user/\nprojects/\nA.PRJ"},
        WrapCase{"windowsSeparators", "C:\\Data\\Projects\\A.PRJ", 10, "C:\\Data\\\nProjects\\\nA.PRJ"},
        WrapCase{"afterASpace", "cannot open: Permission denied", 16, "cannot open: \nPermission \ndenied"},
        WrapCase{"longNameBrokenAtTheWidth", "/aaaaaaaaaaaa/b", 5, "/\naaaaa\naaaaa\naa/b"},
        WrapCase{"characterNeverSplit", "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 3, "\xc3\xa9\xc3\xa9\xc3\xa9\n\xc3\xa9"},
        WrapCase{"eachLineOnItsOwn", "lead\n\n/a/bb/ccc\n(error 2)", 6, "lead\n\n/a/bb/\nccc\n(error \n2)"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
