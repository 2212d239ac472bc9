// Results finishing in any order come out in the order of their items, each
// as soon as every earlier one is out.
#include "orderedoutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

using quenlo::cli::OrderedOutput;

namespace {

struct FinishCase {
    const char *name;
    std::vector<std::size_t> order;       // items in the order they finish
    std::vector<std::string> afterEach;   // what has come out after each finish
};

std::ostream &operator<<(std::ostream &out, const FinishCase &c) { return out << c.name; }

class OrderedOutputTest : public ::testing::TestWithParam<FinishCase> {};

TEST_P(OrderedOutputTest, shouldEmitEachResultOnceEveryEarlierOneIsOut)
{
    const auto &c = GetParam();
    std::string emitted;
    int flushes = 0;
    OrderedOutput<char> output([&](std::size_t item, char &&result) {
        EXPECT_EQ(static_cast<std::size_t>(result - 'a'), item);
        emitted += result;
    }, [&] { emitted += '|', ++flushes; });

    for (std::size_t i = 0; i < c.order.size(); ++i) {
        output.finish(c.order[i], static_cast<char>('a' + c.order[i]));
        EXPECT_EQ(emitted, c.afterEach[i]) << "after item " << c.order[i];
    }
    EXPECT_EQ(output.emitted(), c.order.size());
}

INSTANTIATE_TEST_SUITE_P(
    Orders, OrderedOutputTest,
    ::testing::Values(FinishCase{"inOrder", {0, 1, 2}, {"a|", "a|b|", "a|b|c|"}},
                      FinishCase{"reversed", {2, 1, 0}, {"", "", "abc|"}},
                      FinishCase{"firstLast", {1, 2, 3, 0}, {"", "", "", "abcd|"}},
                      FinishCase{"gapFilledInTheMiddle", {0, 2, 3, 1, 4}, {"a|", "a|", "a|", "a|bcd|", "a|bcd|e|"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OrderedOutput, shouldKeepTheOrderWhenManyThreadsFinishAtOnce)
{
    constexpr std::size_t kItems = 2000;
    std::vector<std::size_t> emitted;
    OrderedOutput<std::size_t> output([&](std::size_t item, std::size_t &&result) {
        EXPECT_EQ(item, result);
        emitted.push_back(result);
    }, [] {});

    std::vector<std::size_t> items(kItems);
    std::iota(items.begin(), items.end(), 0);
    std::shuffle(items.begin(), items.end(), std::mt19937(12));
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = t; i < kItems; i += 8)
                output.finish(items[i], items[i]);
        });
    for (auto &thread : threads)
        thread.join();

    ASSERT_EQ(emitted.size(), kItems);
    EXPECT_TRUE(std::is_sorted(emitted.begin(), emitted.end()));
}

} // namespace
