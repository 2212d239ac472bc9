#include "flushgroups.h"

#include <algorithm>
#include <cerrno>
#include <optional>

namespace quenlo::cli {

FlushGroups::FlushGroups(Limits limits, Settled settled)
    : limits_(limits)
    , settled_(std::move(settled))
{
}

void FlushGroups::add(std::size_t item, Report report)
{
    const auto filesystem = report.unflushed->sharedflush().value_or(FileSystemKey{});
    std::vector<Members> due;
    {
        std::unique_lock lock(mutex_);
        // Full only while other workers flush every group: they make room.
        room_.wait(lock, [&] { return held_ < limits_.mostheld; });
        auto &group = open_[filesystem];
        if (group.members.empty())
            group.first = item;
        group.members.push_back({item, std::move(report)});
        ++held_;
        if (group.members.size() >= limits_.groupsize && held_ < limits_.mostheld) {
            due.push_back(std::move(group.members));
            open_.erase(filesystem);
        }
        takedue(item, held_ >= limits_.mostheld, due);
    }
    flush(std::move(due));
}

void FlushGroups::passed(std::size_t item)
{
    if (item < due_.load(std::memory_order_relaxed))
        return;
    std::vector<Members> due;
    {
        std::lock_guard lock(mutex_);
        takedue(item, false, due);
    }
    flush(std::move(due));
}

void FlushGroups::flushall()
{
    std::vector<Members> due;
    {
        std::lock_guard lock(mutex_);
        takedue(0, true, due);
    }
    flush(std::move(due));
}

void FlushGroups::takedue(std::size_t item, bool everyone, std::vector<Members> &due)
{
    auto next = std::numeric_limits<std::size_t>::max();
    for (auto group = open_.begin(); group != open_.end();) {
        const auto deadline = group->second.first + limits_.span;
        if (everyone || item >= deadline) {
            due.push_back(std::move(group->second.members));
            group = open_.erase(group);
        } else {
            next = std::min(next, deadline);
            ++group;
        }
    }
    due_.store(next, std::memory_order_relaxed);
}

void FlushGroups::flush(std::vector<Members> due)
{
    for (auto &members : due) {
        flushgroup(members);
        {
            std::lock_guard lock(mutex_);
            held_ -= members.size();
        }
        room_.notify_all();
    }
}

void FlushGroups::flushgroup(Members &members)
{
    std::sort(members.begin(), members.end(), [](const Member &a, const Member &b) { return a.item < b.item; });
    // Flushed through the file opened first, whose flush tells of every
    // write since: each member was written after it was opened.
    auto &first = *std::min_element(members.begin(), members.end(), [](const Member &a, const Member &b) {
                       return a.report.unflushed->opened() < b.report.unflushed->opened();
                   })->report.unflushed;
    int failure = 0;
    try {
        first.flushfilesystem();
        first.flush();
    } catch (const Error &error) {
        failure = error.number() != 0 ? error.number() : EIO;
    }
    // Any file's failure (its own flush, made when another program asked
    // for it, included) is the file system's: it fails them all.
    std::vector<std::optional<Report>> failed(members.size());
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < members.size(); ++i) {
            try {
                if (!failed[i])
                    members[i].report.unflushed->checkflushed(failure);
            } catch (const Error &error) {
                failed[i] = failedreport(error);
                if (failure == 0)
                    failure = error.number() != 0 ? error.number() : EIO;
            }
        }
        if (failure == 0)
            break;
    }
    std::vector<std::pair<std::size_t, Report>> reports;
    reports.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        auto &report = members[i].report;
        try {
            if (!failed[i])
                report.unflushed->close();
        } catch (const Error &error) {
            failed[i] = failedreport(error);
        }
        report.unflushed.reset();
        reports.emplace_back(members[i].item, failed[i] ? std::move(*failed[i]) : std::move(report));
    }
    settled_(std::move(reports));
}

} // namespace quenlo::cli
