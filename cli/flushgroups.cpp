#include "flushgroups.h"

#include <algorithm>
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
    bool shared = true;
    std::optional<Report> firstfailure;
    auto &first = *members.front().report.unflushed;
    try {
        first.flushfilesystem();
    } catch (const Error &) {
        shared = false;
    }
    try {
        first.flush();
    } catch (const Error &error) {
        firstfailure = failedreport(error);
        shared = false;
    }
    std::vector<std::pair<std::size_t, Report>> reports;
    reports.reserve(members.size());
    for (auto &member : members) {
        auto &report = member.report;
        const bool isfirst = &member == &members.front();
        std::optional<Report> failure = isfirst ? std::move(firstfailure) : std::nullopt;
        try {
            auto &file = *report.unflushed;
            if (!isfirst) {
                if (shared)
                    file.checkflushed();
                else
                    file.flush();
            }
            if (!failure)
                file.close();
        } catch (const Error &error) {
            failure = failedreport(error);
        }
        report.unflushed.reset();
        reports.emplace_back(member.item, failure ? std::move(*failure) : std::move(report));
    }
    settled_(std::move(reports));
}

} // namespace quenlo::cli
