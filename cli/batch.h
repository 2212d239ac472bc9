#pragma once

#include "file.h"
#include "header.h"
#include "operands.h"
#include "progress.h"

#include <exception>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace quenlo::cli {

// What became of a file, as the summary counts it.
enum class Outcome { Failed, Fixed, AlreadyFixed, OtherVersion, NeedsFixing };

// What one name gave, ready to print.
struct Report {
    Outcome outcome = Outcome::Failed;
    std::string outline; // the line for standard output, without its end; empty: none
    std::string errline; // the line for standard error, without its end; empty: none
    bool wrongversion = false;
    bool failed = false;
    bool notice = false; // a line about no file (a folder without project files)
    // The file, rewritten and still open, when its line waits for a flush
    // shared with other files (see flushgroups.h).
    std::unique_ptr<File> unflushed;
    // Whether the file's flush failed: a later name of that file then gets
    // the same failure (it may read as fixed all the same).
    std::unique_ptr<Error> flushfailure;
};

// The report of a failure: its error line.
Report failedreport(const std::exception &error);

// How the lines reach the user.
struct BatchOutput {
    std::function<void(const Report &)> print; // prints a report's lines
    std::function<void()> flush;               // after each run of reports printed together
    std::ostream *progress = nullptr;          // a terminal for the progress line; nothing: none
    ProgressLine::Width progresswidth;         // that terminal's width
    bool outonterminal = false;                // standard output shares the screen with it
    std::function<void()> stopping;            // once no new file is to start: says why, if it will
};

struct BatchSettings {
    unsigned jobs = 1;
    std::function<bool()> stopped = [] { return false; }; // no new file is started once it says so
    Folders *folders = nullptr;       // holds the folders of the files the walk met
    FileService *files = nullptr;     // opens the names from the command line
    // How many files may wait open for a flush shared with others (see
    // flushgroups.h); 0: none, each file is flushed before its line.
    std::size_t heldfiles = 0;
};

// Fixes (or checks) one file: `path` as printed, opened through `files`.
// It may leave the file unflushed (Report::unflushed) only where
// BatchSettings::heldfiles is not 0.
using FixOne = std::function<Report(const std::string &path, FileService &files, ProjectHeader &prjheader)>;

struct BatchTotals {
    std::size_t done = 0; // names worked on, all printed; fewer than the names when stopped
    bool wrongversion = false;
    bool failed = false;
    bool outofmemory = false; // the run stopped for want of memory
};

// How many of `operands` name files, notices left out.
std::size_t countfiles(const std::vector<Operand> &operands);

// Works on every operand with `fix` on `settings.jobs` workers (a file the
// walk met is opened inside its folder, held meanwhile) and prints
// each report in the order of the operands, as soon as every earlier one is
// out. A file named more than once, under any name, is worked on by one
// worker at a time, in the order of its names, and if its flush fails under
// one name, every later name gets that failure. A report that comes with
// its file unflushed waits for its group's flush (`settings.heldfiles`).
// Every report of a file worked on is printed before this returns, also
// when stopped. Out of memory, no new file is started.
BatchTotals runbatch(const std::vector<Operand> &operands, const BatchSettings &settings, const FixOne &fix,
                     const BatchOutput &output);

} // namespace quenlo::cli
