#pragma once

#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

namespace quenlo::cli {

// How many files are fixed at once unless told otherwise: measured on local
// disks, where waiting for one flush at a time leaves the disk idle.
inline constexpr unsigned kDefaultJobs = 32;
inline constexpr unsigned kMostJobs = 256;

struct Options {
    bool dryrun = false;
    std::vector<std::string> files;
    bool recursive = false;
    unsigned jobs = 1; // the parser's default is kDefaultJobs
};

// Exit statuses of quenlo-fix.
enum Status : int {
    kAllFixed = 0,     // every file fixed (or, in a dry run, would be)
    kWrongVersion = 1, // at least one file had another version, none failed
    kFailed = 2,       // a file could not be fixed, or the arguments are wrong
};

// Parses the command line. Returns the options to run with, or the exit
// status when there is nothing to run: help and version are printed to
// `out`, a usage error with a hint to `err`.
std::variant<Options, int> parseoptions(const std::vector<std::string> &args, std::ostream &out,
                                        std::ostream &err);

} // namespace quenlo::cli
