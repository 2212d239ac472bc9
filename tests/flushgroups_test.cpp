// Files waiting for one flush of their file system: flushed through the file
// opened first, settled in the order of their items, and all failed together
// when any flush of the group fails.
#include "flushgroups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

using namespace quenlo;
using quenlo::cli::FlushGroups;
using quenlo::cli::Report;

namespace {

// What the group did to its files, one word each, in order.
struct Log {
    std::vector<std::string> calls;
};

class GroupedFile final : public File {
public:
    GroupedFile(std::string name, std::uint64_t opened, Log &log, int ownfailure, int flushfailure)
        : name_(std::move(name)), opened_(opened), log_(log), ownfailure_(ownfailure), flushfailure_(flushfailure)
    {
    }
    std::size_t read(std::uint64_t, std::span<char>) override { return 0; }
    void write(std::uint64_t, std::span<const char>) override {}
    void flush() override
    {
        log_.calls.push_back("fsync " + name_);
        failwith(flushfailure_);
    }
    std::optional<Error> updateblocked() const override { return std::nullopt; }
    std::unique_ptr<File> reopenforupdate() override { return nullptr; }
    std::optional<FileSystemKey> sharedflush() const override { return FileSystemKey{1, 1}; }
    void flushfilesystem() override
    {
        log_.calls.push_back("syncfs " + name_);
        failwith(flushfailure_);
    }
    void checkflushed(int failure) override
    {
        failwith(ownfailure_);
        failwith(failure);
    }
    std::uint64_t opened() const override { return opened_; }
    void close() override { log_.calls.push_back("close " + name_); }

private:
    void failwith(int number) const
    {
        if (number != 0)
            throw FlushFailure(number, name_, "cannot flush to disk");
    }

    std::string name_;
    std::uint64_t opened_;
    Log &log_;
    int ownfailure_;
    int flushfailure_;
};

struct GroupCase {
    const char *name;
    std::vector<std::uint64_t> opened; // when each item's file was opened
    std::size_t ownfailing;            // the item whose own flush failed; 9: none
    bool flushfails;                   // the group's flush through its first file fails
    std::vector<std::string> calls;
    std::vector<std::string> lines;    // each item's line, in item order
};

std::ostream &operator<<(std::ostream &out, const GroupCase &c) { return out << c.name; }

class FlushGroupsTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(FlushGroupsTest, shouldFlushThroughTheFileOpenedFirstAndFailTheGroupTogether)
{
    const auto &c = GetParam();
    Log log;
    std::vector<std::pair<std::size_t, std::string>> settled;
    FlushGroups groups({.groupsize = c.opened.size(), .mostheld = 64, .span = 64},
                       [&](std::vector<std::pair<std::size_t, Report>> &&reports) {
                           for (auto &[item, report] : reports)
                               settled.emplace_back(item, report.failed ? report.errline : report.outline);
                       });
    for (std::size_t item = 0; item < c.opened.size(); ++item) {
        const auto name = std::string(1, static_cast<char>('A' + item));
        Report report;
        report.outline = name + ": fixed";
        const bool flusher = c.opened[item] == *std::min_element(c.opened.begin(), c.opened.end());
        report.unflushed = std::make_unique<GroupedFile>(name, c.opened[item], log, item == c.ownfailing ? EIO : 0,
                                                         flusher && c.flushfails ? EIO : 0);
        groups.add(item, std::move(report));
    }
    groups.flushall();

    EXPECT_EQ(log.calls, c.calls);
    ASSERT_EQ(settled.size(), c.lines.size());
    for (std::size_t item = 0; item < settled.size(); ++item) {
        EXPECT_EQ(settled[item].first, item);
        EXPECT_EQ(settled[item].second, c.lines[item]) << "item " << item;
    }
}

const std::string kFailed = ": cannot flush to disk";

INSTANTIATE_TEST_SUITE_P(
    Groups, FlushGroupsTest,
    ::testing::Values(
        GroupCase{"openedFirstIsNotTheFirstItem", {5, 2, 7}, 9, false,
                  {"syncfs B", "fsync B", "close A", "close B", "close C"},
                  {"A: fixed", "B: fixed", "C: fixed"}},
        GroupCase{"flushFailsEveryFile", {1, 2, 3}, 9, true, {"syncfs A"},
                  {"quenlo-fix: A" + kFailed, "quenlo-fix: B" + kFailed, "quenlo-fix: C" + kFailed}},
        GroupCase{"oneFilesOwnFailureFailsEveryFile", {1, 2, 3}, 2, false, {"syncfs A", "fsync A"},
                  {"quenlo-fix: A" + kFailed, "quenlo-fix: B" + kFailed, "quenlo-fix: C" + kFailed}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
