// Text search and replace, with the exact comparison the fix relies on.
#include "text.h"

#include <gtest/gtest.h>

namespace {

struct FindCase {
    std::string text, sought;
    std::size_t position;
};

void PrintTo(const FindCase &c, std::ostream *out) { *out << '"' << c.text << "\" / \"" << c.sought << '"'; }

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, shouldGiveTheOneBasedPositionOfTheFirstMatchOrZero)
{
    EXPECT_EQ(quenlo::findtext(GetParam().text, GetParam().sought), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindTextTest,
                         ::testing::Values(FindCase{"/8203abcde", "/8203", 1}, FindCase{"abcde/8203", "/8203", 6},
                                           FindCase{"ab/8203/8203", "/8203", 3}, FindCase{"abcd", "/8203", 0},
                                           FindCase{"", "/8203", 0}, FindCase{"/8203", "", 1},
                                           FindCase{"/820", "/8203", 0}, FindCase{"/8203", "/8203", 1},
                                           FindCase{"ab/8203", "/8203", 3}, FindCase{"AB", "ab", 0}));

struct ReplaceCase {
    std::string text, sought, replacement, result;
};

void PrintTo(const ReplaceCase &c, std::ostream *out) { *out << '"' << c.text << "\" / \"" << c.sought << '"'; }

class ReplaceTextTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, shouldReplaceEveryMatchLeftToRightWithoutOverlap)
{
    const auto &c = GetParam();
    EXPECT_EQ(quenlo::replacetext(c.text, c.sought, c.replacement), c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceTextTest,
                         ::testing::Values(ReplaceCase{"/8203/8203", "/8203", "/8202", "/8202/8202"},
                                           ReplaceCase{"x/8203y", "/8203", "/8202", "x/8202y"},
                                           ReplaceCase{"aaaa", "aa", "b", "bb"}, ReplaceCase{"aaa", "aa", "b", "ba"},
                                           ReplaceCase{"abc", "", "z", "abc"}, ReplaceCase{"", "a", "b", ""},
                                           ReplaceCase{"abab", "ab", "abab", "abababab"},
                                           ReplaceCase{std::string("a\0/8203", 7), "/8203", "/8202", std::string("a\0/8202", 7)}));

} // namespace
