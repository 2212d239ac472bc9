#include "run.h"

#include "batch.h"
#include "descriptors.h"
#include "error.h"
#include "errorline.h"
#include "fixheader.h"
#include "fixprojectfile.h"
#include "flushgroups.h"
#include "interrupt.h"
#include "namelist.h"
#include "operands.h"
#include "quotename.h"
#include "summary.h"
#include "writefailure.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <optional>
#include <ostream>
#include <string>

namespace quenlo::cli {

namespace {

constexpr std::string_view kNeedsFixing = "Project file needs fixing.";
constexpr std::string_view kAlreadyFixed = "Project file already fixed.";

// Whether a file's line is printed with --quiet: a file of another version
// (what the real run leaves for the user to look at), or in a dry run a file
// that needs fixing (what the real run would change).
bool listedwhenquiet(Outcome outcome, bool dryrun)
{
    return outcome == (dryrun ? Outcome::NeedsFixing : Outcome::OtherVersion);
}

// A dry run's note that the real run could not open the file for the fix.
std::optional<Error> realrunfailure(const std::string &path, const CheckResult &check)
{
    if (!check.wouldfail)
        return std::nullopt;
    return Error(check.wouldfail->number(), path, "the real run would fail: " + check.wouldfail->reason());
}

// Fixes (or checks) one file; runs on any worker. A line is made only for
// a run that closed the file cleanly, so a failure is never preceded by a
// success line; with `shareflush`, a file rewritten where one flush may
// serve many comes with its line, left to its group's flush.
Report fixone(const std::string &path, ProjectHeader &prjheader, const Options &options, bool shareflush,
              FileService &files)
{
    const bool dryrun = options.dryrun;
    Report report;
    try {
        std::string line;
        FixOutcome outcome;
        std::optional<Error> wouldfail;
        if (dryrun) {
            const auto check = checkprojectfile(path, prjheader, files);
            outcome = check.outcome;
            line = outcome == FixOutcome::Fixed ? kNeedsFixing : outcometext(outcome);
            wouldfail = realrunfailure(path, check);
        } else if (shareflush) {
            auto fixed = fixsharingflush(path, prjheader, files);
            outcome = fixed.outcome;
            report.unflushed = std::move(fixed.unflushed);
            line = outcometext(outcome);
        } else {
            outcome = fixifneeded(path, prjheader, files);
            line = outcometext(outcome);
        }
        // prjheader holds the header as read: a file fixed by an earlier run
        // (or earlier in this one) is done, not of another version.
        const bool done = outcome == FixOutcome::InvalidVersion && isalreadyfixed(prjheader);
        if (done)
            line = kAlreadyFixed;
        report.wrongversion = outcome == FixOutcome::InvalidVersion && !done;
        report.outcome = done                ? Outcome::AlreadyFixed
                         : report.wrongversion ? Outcome::OtherVersion
                         : dryrun            ? Outcome::NeedsFixing
                                             : Outcome::Fixed;
        if (!options.quiet || listedwhenquiet(report.outcome, dryrun))
            report.outline = quotename(path) + ": " + line;
        if (wouldfail) {
            // The dry run predicts the real run, exit status included.
            report.failed = true;
            report.outcome = Outcome::Failed;
            report.errline = "quenlo-fix: " + errorline(*wouldfail);
        }
    } catch (const Error &error) {
        report = failedreport(error);
    }
    return report;
}

// Unless told: where flushes are shared, more workers only cost the two
// cores more than they save; where each file is flushed, they overlap the
// flushes (see docs/benchmarks.md).
unsigned defaultjobs(const Options &options)
{
    // Names from a list are most often under the working folder.
    const std::string first = options.files0from ? "." : options.files.empty() ? "" : options.files.front();
    return !options.dryrun && !first.empty() && sharedflushlikely(first) ? kSharedFlushJobs : kDefaultJobs;
}

std::string cannotwrite(const std::ostream &out)
{
    const auto why = writefailure(out);
    return "quenlo-fix: cannot write to standard output" + (why.empty() ? std::string() : " (" + why + ")");
}

// How far a run that ended early got.
std::string howfar(std::size_t done, std::size_t files)
{
    return std::to_string(done) + " of " + std::to_string(files) + " files done"
           + (done < files ? ", the others left as they were" : "");
}

constexpr const char *kOutOfMemory = "quenlo-fix: out of memory";

int runfiles(const Options &options, std::ostream &out, std::ostream &err, FileService &files, Terminals terminals);

} // namespace

int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files, Terminals terminals)
{
    try {
        return runfiles(options, out, err, files, terminals);
    } catch (const std::bad_alloc &) {
        // While the names are gathered, before any file is touched, or
        // while the last lines are printed.
        out.flush();
        err << kOutOfMemory << std::endl;
        return kFailed;
    }
}

namespace {

int runfiles(const Options &options, std::ostream &out, std::ostream &err, FileService &files, Terminals terminals)
{
    // Each worker keeps a few descriptors; the walk's folders keep the
    // rest, so that the run never runs out of them whatever the limit.
    const std::size_t room = descriptorroom();
    if (room < kPerWorker + kLeastFolders) {
        err << "quenlo-fix: too few files may be open at once (see ulimit -n): " << kPerWorker + kLeastFolders
            << " are needed, " << room << " are free" << std::endl;
        return kFailed;
    }
    const unsigned wanted = options.jobs > 0 ? options.jobs : defaultjobs(options);
    const auto jobs = static_cast<unsigned>(std::min<std::size_t>(wanted, (room - kLeastFolders) / kPerWorker));
    // Files waiting open for a shared flush: two groups (one filling while
    // the one before it is flushed), within half of what the folders would
    // have. With one job, each file is flushed before its line, as ever.
    const std::size_t rest = room - jobs * kPerWorker;
    const std::size_t held = options.dryrun || jobs < 2 ? 0 : std::min(2 * kGroupFiles, (rest - kLeastFolders) / 2);
    Folders folders(rest - held);
    std::vector<Operand> operands;
    if (options.files0from) {
        std::optional<NameList> list;
        try {
            list.emplace(openbytes(*options.files0from), *options.files0from);
        } catch (const Error &error) {
            err << "quenlo-fix: " << errorline(error) << std::endl;
            return kFailed;
        }
        operands = gatheroperands([&] { return list->next(); }, options.recursive, options.dereference, folders,
                                  interrupted, options.onefilesystem);
    } else {
        operands = gatheroperands(options.files, options.recursive, options.dereference, folders, interrupted,
                                  options.onefilesystem);
    }

    // Once standard output fails, no line can tell of a file fixed: no new
    // file is started, as after Ctrl-C.
    std::atomic<bool> outfailed{false};
    BatchSettings settings;
    settings.jobs = jobs;
    settings.stopped = [&] { return interrupted() || outfailed.load(); };
    settings.folders = &folders;
    settings.files = &files;
    settings.heldfiles = held;
    Summary summary;
    BatchOutput output;
    output.print = [&](const Report &report) {
        summary.count(report.outcome);
        if (!report.outline.empty())
            out << report.outline << '\n';
        // Both streams may go to one file (>log 2>&1): what standard output
        // holds goes first, and the error line at once, so that the lines
        // keep the order of the names.
        if (!report.errline.empty()) {
            out.flush();
            err << report.errline << '\n';
            err.flush();
        }
    };
    output.flush = [&] {
        out.flush();
        err.flush();
        if (!out)
            outfailed = true;
    };
    output.progress = terminals.err ? &err : nullptr;
    output.progresswidth = terminals.errwidth;
    output.outonterminal = terminals.out;
    output.stopping = [&] {
        if (interrupted())
            err << kInterruptNotice << std::endl;
    };
    const auto totals = runbatch(
        operands, settings,
        [&](const std::string &path, FileService &where, ProjectHeader &prjheader) {
            return fixone(path, prjheader, options, held > 0, where);
        },
        output);

    bool failed = totals.failed;
    const auto count = countfiles(operands);
    if (!out) {
        err << cannotwrite(out) << ": " << howfar(totals.done, count) << std::endl;
        failed = true;
    }
    if (totals.outofmemory && !interrupted()) {
        err << kOutOfMemory << ": " << howfar(totals.done, count) << std::endl;
        return kFailed;
    }
    if (interrupted()) {
        err << "quenlo-fix: interrupted: " << howfar(totals.done, count) << std::endl;
        return interruptstatus();
    }
    // Where the progress line was, once the run met more than one file;
    // a run cut short has told how far it came instead.
    if (terminals.err && out && summary.files() > 1)
        err << summary.text() << std::endl;
    return failed ? kFailed : totals.wrongversion ? kWrongVersion : kAllFixed;
}

} // namespace

} // namespace quenlo::cli
