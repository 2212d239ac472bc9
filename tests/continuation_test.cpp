// The error continuation: leave on one number, go on with the next step on
// any other, with the handler armed for the whole flow.
#include "continuation.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using quenlo::OnError;

struct FlowCase {
    const char *name;
    std::vector<int> failures;  // per step: 0 runs, a number throws quenlo::Error, -1 throws std::logic_error
    std::vector<int> ran;       // the steps that got to their end
    std::vector<int> handled;   // the numbers the handler saw
};

std::ostream &operator<<(std::ostream &out, const FlowCase &c) { return out << c.name; }

class RunStepsTest : public ::testing::TestWithParam<FlowCase> {};

TEST_P(RunStepsTest, shouldLeaveOnCancelAndResumeWithTheNextStepOtherwise)
{
    const auto &c = GetParam();
    std::vector<int> ran;
    std::vector<quenlo::Step> steps;
    for (std::size_t i = 0; i < c.failures.size(); ++i) {
        steps.emplace_back([&, i] {
            if (c.failures[i] > 0)
                throw quenlo::Error(c.failures[i], "", "step failed");
            if (c.failures[i] < 0)
                throw std::logic_error("not an Error");
            ran.push_back(static_cast<int>(i));
        });
    }
    std::vector<int> handled;
    const auto completed = quenlo::runsteps(steps, [&](const quenlo::Error &error) {
        handled.push_back(error.number());
        return error.number() == quenlo::kCancelError ? OnError::Leave : OnError::ResumeNext;
    });

    EXPECT_EQ(ran, c.ran);
    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(completed, c.ran.size());
}

INSTANTIATE_TEST_SUITE_P(
    Flows, RunStepsTest,
    ::testing::Values(FlowCase{"noFailure", {0, 0, 0}, {0, 1, 2}, {}},
                      FlowCase{"cancelLeaves", {0, 32755, 0, 0}, {0}, {32755}},
                      FlowCase{"otherErrorResumes", {0, 5, 0}, {0, 2}, {5}},
                      FlowCase{"handlerStaysArmed", {7, 0, 9, 0}, {1, 3}, {7, 9}},
                      FlowCase{"cancelAfterAnotherError", {5, 0, 32755, 0}, {1}, {5, 32755}},
                      FlowCase{"foreignExceptionIsAnInternalError", {-1, 0}, {1}, {quenlo::kInternalError}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
