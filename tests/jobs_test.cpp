// The workers: items taken in order and each once, the window, stopping, and
// the rule that one file is worked on by one worker at a time, in the order
// of its names.
#include "exitguard.h"
#include "jobrunner.h"
#include "samefilegate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

using quenlo::cli::FileIdentity;
using quenlo::cli::JobLimits;
using quenlo::cli::runjobs;
using quenlo::cli::SameFileGate;

namespace {

void pause(std::size_t item)
{
    // Uneven work, so that later items often finish before earlier ones.
    std::this_thread::sleep_for(std::chrono::microseconds((item * 7919) % 300));
}

struct JobCase {
    const char *name;
    std::size_t items;
    JobLimits limits;
};

std::ostream &operator<<(std::ostream &out, const JobCase &c) { return out << c.name; }

class RunJobsTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(RunJobsTest, shouldRunEveryItemOnceWithinTheWindowAndTheWorkers)
{
    const auto &c = GetParam();
    std::vector<std::atomic<int>> runs(c.items);
    std::mutex mutex;
    std::size_t busy = 0, mostbusy = 0, oldest = 0;
    std::vector<bool> done(c.items, false);

    const auto taken = runjobs(c.items, c.limits, [&](std::size_t item) {
        {
            std::lock_guard lock(mutex);
            EXPECT_LT(item, oldest + c.limits.window) << "taken beyond the window";
            mostbusy = std::max(mostbusy, ++busy);
        }
        ++runs[item];
        pause(item);
        std::lock_guard lock(mutex);
        --busy;
        done[item] = true;
        while (oldest < c.items && done[oldest])
            ++oldest;
    }, [] { return false; });

    EXPECT_EQ(taken, c.items);
    for (std::size_t i = 0; i < c.items; ++i)
        EXPECT_EQ(runs[i].load(), 1) << "item " << i;
    EXPECT_LE(mostbusy, std::max(c.limits.workers, 1U));
}

INSTANTIATE_TEST_SUITE_P(Limits, RunJobsTest,
                         ::testing::Values(JobCase{"oneWorker", 50, {1, 1024}},
                                           JobCase{"manyWorkers", 400, {16, 1024}},
                                           JobCase{"moreWorkersThanItems", 3, {32, 1024}},
                                           JobCase{"narrowWindow", 200, {8, 8}},
                                           JobCase{"windowOfOne", 40, {4, 1}},
                                           JobCase{"noItems", 0, {4, 16}},
                                           JobCase{"zeroWorkersMeansOne", 10, {0, 16}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RunJobs, shouldFinishTheItemsTakenAndTakeNoMoreOnceStopped)
{
    constexpr std::size_t kItems = 5000;
    std::atomic<bool> stop{false};
    std::vector<std::atomic<int>> runs(kItems);

    const auto taken = runjobs(kItems, {8, 64}, [&](std::size_t item) {
        if (item == 100)
            stop = true;
        pause(item);
        ++runs[item];
    }, [&] { return stop.load(); });

    EXPECT_GT(taken, 100U);
    EXPECT_LT(taken, 100U + 64U);
    for (std::size_t i = 0; i < kItems; ++i)
        EXPECT_EQ(runs[i].load(), i < taken ? 1 : 0) << "item " << i;
}

TEST(RunJobs, shouldThrowWhatAJobThrewOnceEveryWorkerHasEnded)
{
    std::atomic<int> running{0};
    EXPECT_THROW(runjobs(1000, {4, 64}, [&](std::size_t item) {
        ++running;
        pause(item);
        --running;
        if (item == 10)
            throw std::runtime_error("job failed");
    }, [] { return false; }), std::runtime_error);
    EXPECT_EQ(running.load(), 0);
}

// Items naming files A, B, C or nothing (-1), with the order in which a
// one-by-one run would touch each file.
struct GateCase {
    const char *name;
    std::vector<int> files;
    unsigned workers;
};

std::ostream &operator<<(std::ostream &out, const GateCase &c) { return out << c.name; }

class SameFileGateTest : public ::testing::TestWithParam<GateCase> {};

TEST_P(SameFileGateTest, shouldLetOneWorkerAtATimeHoldAFileInTheOrderOfItsNames)
{
    const auto &c = GetParam();
    SameFileGate gate(c.files.size());
    std::mutex mutex;
    std::map<int, int> holders;
    std::map<int, std::vector<std::size_t>> order;

    runjobs(c.files.size(), {c.workers, 256}, [&](std::size_t item) {
        const int file = c.files[item];
        std::optional<FileIdentity> identity;
        if (file >= 0)
            identity = FileIdentity{7, static_cast<std::uint64_t>(file)};
        pause(c.files.size() - item); // later items are quicker to get here
        gate.enter(item, identity);
        {
            std::lock_guard lock(mutex);
            if (file >= 0) {
                EXPECT_EQ(++holders[file], 1) << "file " << file << " held twice at item " << item;
                order[file].push_back(item);
            }
        }
        pause(item);
        {
            std::lock_guard lock(mutex);
            if (file >= 0)
                --holders[file];
        }
        gate.leave(item);
    }, [] { return false; });

    for (const auto &[file, items] : order)
        EXPECT_TRUE(std::is_sorted(items.begin(), items.end())) << "file " << file;
    std::size_t named = 0;
    for (const int file : c.files)
        named += file >= 0;
    std::size_t held = 0;
    for (const auto &[file, items] : order)
        held += items.size();
    EXPECT_EQ(held, named);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SameFileGateTest,
    ::testing::Values(GateCase{"sameFileTwiceInARow", {0, 0}, 4},
                      GateCase{"sameFileThreeTimesApart", {0, 1, 0, 2, 0}, 8},
                      GateCase{"unknownFilesNeverWait", {-1, 0, -1, 0, -1}, 4},
                      GateCase{"allOneFile", std::vector<int>(64, 0), 16},
                      GateCase{"mixedManyWorkers",
                               {0, 1, 2, 0, 1, 2, 2, 2, 1, 0, -1, 3, 3, 0, 1, 2, 3, 0, 0, 1}, 32},
                      GateCase{"oneWorker", {0, 1, 0, 1}, 1}),
    [](const auto &info) { return std::string(info.param.name); });

// A second Ctrl-C ends the program at once, but a header write under way is
// finished first.
TEST(ExitGuardDeathTest, shouldEndOnlyOnceTheWriteUnderWayIsWhole)
{
    EXPECT_EXIT(
        {
            std::thread writer([] {
                const quenlo::ExitGuard whole;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                // Ending at once flushes no stream: say it before the guard goes.
                std::fputs("header written\n", stderr);
                std::fflush(stderr);
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            quenlo::endnow(42);
            writer.join();
        },
        ::testing::ExitedWithCode(42), "header written");
}

} // namespace
