#include "batch.h"

#include "errorline.h"
#include "fileidentity.h"
#include "flushgroups.h"
#include "jobrunner.h"
#include "orderedoutput.h"
#include "progress.h"
#include "samefilegate.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

namespace quenlo::cli {

namespace {

// How far workers may run ahead of the oldest file still at work, so that
// reports waiting to be printed stay few whatever the number of files.
constexpr std::size_t kWindowPerJob = 64;
constexpr auto kProgressTick = std::chrono::milliseconds(200);

// Calls `tick` now and then until it goes.
class Ticker {
public:
    template <typename Tick>
    explicit Ticker(Tick tick)
        : thread_([this, tick] {
            std::unique_lock lock(mutex_);
            while (!ended_) {
                changed_.wait_for(lock, kProgressTick);
                if (!ended_)
                    tick();
            }
        })
    {
    }
    ~Ticker()
    {
        {
            std::lock_guard lock(mutex_);
            ended_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ended_ = false;
    std::thread thread_;
};

// The folder of a file the walk met, held while the file is at work; a
// folder that cannot be had any more is the failure of the file, `path`.
HeldFolder holdfolder(Folders &folders, const Operand &operand, const std::string &path)
{
    try {
        return folders.hold(*operand.folder);
    } catch (const Error &error) {
        throw Error(error.number(), path, "cannot open: " + error.reason());
    }
}

} // namespace

Report failedreport(const std::exception &error)
{
    Report report;
    const auto *known = dynamic_cast<const Error *>(&error);
    report.errline = "quenlo-fix: " + (known ? errorline(*known) : std::string(error.what()));
    report.failed = true;
    if (dynamic_cast<const FlushFailure *>(&error))
        report.flushfailure = std::make_unique<Error>(*known);
    return report;
}

std::size_t countfiles(const std::vector<Operand> &operands)
{
    return static_cast<std::size_t>(
        std::count_if(operands.begin(), operands.end(), [](const Operand &operand) { return !operand.notice; }));
}

BatchTotals runbatch(const std::vector<Operand> &operands, const BatchSettings &settings, const FixOne &fix,
                     const BatchOutput &output)
{
    BatchTotals totals;
    std::optional<ProgressLine> progress;
    if (output.progress)
        progress.emplace(*output.progress, countfiles(operands), ProgressLine::Clock::now(), std::chrono::seconds(1),
                         output.progresswidth);

    // The files whose flush failed, by the first failure: the system may
    // keep their pages marked clean, so that a later name reads as fixed.
    std::map<FileIdentity, Error> unflushed;
    const auto samefile = [&](std::size_t item, Report &report) {
        const auto &identity = operands[item].identity;
        if (!identity)
            return;
        if (report.flushfailure) {
            unflushed.emplace(*identity, *report.flushfailure);
            return;
        }
        const auto failed = unflushed.find(*identity);
        if (failed != unflushed.end() && !report.failed) {
            const auto &first = failed->second;
            report = failedreport(FlushFailure(first.number(), operands[item].path(), first.reason()));
        }
    };

    OrderedOutput<Report> ordered(
        [&](std::size_t item, Report &&report) {
            samefile(item, report);
            if (progress) {
                // Lines on the screen take the progress line's place; it
                // comes back after them.
                if (!report.errline.empty() || (!report.outline.empty() && output.outonterminal))
                    progress->erase();
                if (!report.notice)
                    progress->count(report.failed);
            }
            output.print(report);
            totals.done += report.notice ? 0 : 1;
            totals.wrongversion |= report.wrongversion;
            totals.failed |= report.failed;
        },
        [&] {
            output.flush();
            // Drawn again at once only where lines took its place; otherwise
            // the ticker brings it up to date.
            if (progress && !progress->shown())
                progress->draw(ProgressLine::Clock::now());
        });

    // Files rewritten where one flush may serve many: a group's lines are
    // printed once it is flushed.
    std::optional<FlushGroups> groups;
    if (settings.heldfiles > 0) {
        FlushGroups::Limits limits;
        limits.mostheld = settings.heldfiles;
        // One group fills while the one before it is flushed.
        limits.groupsize = std::clamp<std::size_t>(settings.heldfiles / 2, 1, kGroupFiles);
        groups.emplace(limits, [&](auto &&reports) { ordered.finish(std::move(reports)); });
    }

    // Out of memory, no new file is started: those not reached are left
    // as they were.
    std::atomic<bool> outofmemory{false};
    const std::function<bool()> stopped = [&] { return outofmemory.load() || settings.stopped(); };
    SameFileGate gate(operands.size());
    const auto job = [&](std::size_t item) {
        const auto &operand = operands[item];
        Report report;
        bool entered = false;
        try {
            if (operand.problem && operand.notice) {
                report.errline = "quenlo-fix: " + errorline(*operand.problem);
                report.notice = true;
            } else {
                if (operand.problem)
                    throw *operand.problem;
                const auto path = operand.path();
                std::optional<HeldFolder> held;
                if (operand.folder) {
                    held.emplace(holdfolder(*settings.folders, operand, path));
                    operand.identity = fileidentity(*held, operand.name, operand.link);
                } else if (operand.looklater) {
                    lookatnamed(operand);
                }
                gate.enter(item, operand.identity);
                entered = true;
                ProjectHeader prjheader{};
                if (held) {
                    FilesInFolder files(*held, operand.name, operand.link);
                    report = fix(path, files, prjheader);
                } else {
                    report = fix(path, *settings.files, prjheader);
                }
            }
        } catch (const std::bad_alloc &) {
            // No line: the run ends saying why.
            outofmemory = true;
            report = Report();
            report.failed = report.notice = true;
        } catch (const std::exception &error) {
            report = failedreport(error);
        }
        // Every item enters the gate, or the later ones wait for it forever.
        if (!entered)
            gate.enter(item, std::nullopt);
        gate.leave(item);
        if (report.unflushed) {
            groups->add(item, std::move(report));
            return;
        }
        ordered.finish(item, std::move(report));
        if (groups)
            groups->passed(item);
    };

    // Now and then, between lines: the progress line brought up to date,
    // and once the run is stopped, why.
    bool told = false;
    const auto tick = [&] {
        // Out of memory, the line waits for the next tick.
        try {
            ordered.exclusive([&] {
                if (!told && output.stopping && settings.stopped()) {
                    told = true;
                    if (progress)
                        progress->erase();
                    output.stopping();
                }
                if (progress)
                    progress->draw(ProgressLine::Clock::now());
            });
        } catch (const std::bad_alloc &) {
        }
    };
    std::optional<Ticker> ticker;
    try {
        if (progress || output.stopping)
            ticker.emplace(tick);
    } catch (const std::system_error &) {
        // No thread to spare (out of memory): no progress line.
    }
    const unsigned jobs = std::max(settings.jobs, 1U);
    try {
        runjobs(operands.size(), {jobs, kWindowPerJob * jobs}, job, stopped);
    } catch (const std::bad_alloc &) {
        outofmemory = true;
    }
    if (groups)
        groups->flushall();
    totals.outofmemory = outofmemory;
    ticker.reset();
    if (progress)
        ordered.exclusive([&] { progress->erase(); });
    return totals;
}

} // namespace quenlo::cli
