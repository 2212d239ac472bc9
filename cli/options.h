#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quenlo::cli {

// How many files are fixed at once unless told otherwise, measured on local
// disks (see docs/benchmarks.md): where each file is flushed on its own,
// many, since one flush at a time leaves the disk waiting; where one flush
// serves many files (File::sharedflush()), few.
inline constexpr unsigned kDefaultJobs = 32;
inline constexpr unsigned kSharedFlushJobs = 3;
inline constexpr unsigned kMostJobs = 256;

struct Options {
    bool dryrun = false;
    std::vector<std::string> files;
    bool recursive = false; // folders among the files are walked
    unsigned jobs = 0;      // files fixed at once; 0: unless told (kDefaultJobs or kSharedFlushJobs)
    bool dereference = false; // symbolic links met in the walk are followed (under the owner rule)
    bool quiet = false;     // no line for a file fixed or already fixed
    bool onefilesystem = false; // the walk stays on the file system of the folder named
    // Where the names come from instead of `files`, each ended by a NUL
    // ("-": standard input); empty: from the command line.
    std::optional<std::string> files0from = std::nullopt;
};

// Exit statuses of quenlo-fix.
enum Status : int {
    kAllFixed = 0,     // every file fixed or already fixed (or, in a dry run, would be)
    kWrongVersion = 1, // at least one file had another version, none failed
    kFailed = 2,       // a file could not be fixed, or the arguments are wrong
};

// Parses the command line (the arguments after the program's name) the way
// GNU getopt_long does, but strictly (the options are those of
// kOptionTable): short options may be grouped (-nV), options may come
// before or after the files, -j/--jobs takes a value (-j 4, -j4, -nj4,
// --jobs 4, --jobs=4; a decimal number from 1 to kMostJobs) and so does
// --files0-from (which no file may come with), long options are never
// abbreviated, "--" ends the options, and
// "-", "" and anything not starting with "-" (a "/" too, on every platform)
// is a file; on Windows "/?" and "-?" ask for help as well, and a name
// holding '"' (which no Windows name can) makes the command line wrong.
// Returns the options to run with, or the exit status when there is nothing
// to run: help and version are printed to `out`; a wrong command line is
// reported on `err` with a usage hint and gives kFailed, whatever else it
// holds.
std::variant<Options, int> parseoptions(const std::vector<std::string> &args, std::ostream &out,
                                        std::ostream &err);

} // namespace quenlo::cli
