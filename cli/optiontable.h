#pragma once

#include <string_view>

namespace quenlo::cli {

// What an option takes after it.
enum class OptionValue {
    None,
    Jobs, // a number of jobs, 1 to kMostJobs
    File, // a file's name, "-" for standard input
};

struct OptionRow {
    char letter;           // 0: a long option only
    std::string_view name; // the long option, without its "--"
    OptionValue value;
    std::string_view about; // a few words, as shell completions show them
};

// Every option of quenlo-fix, once: the command line is read with it and
// the shell completions are made from it, so that neither can offer an
// option the other does not know. A new option is a new row here, and its
// case in Parser::apply() (options.cpp), its line in --help
// (systemcommandline) and in the manual page.
inline constexpr OptionRow kOptionTable[] = {
    {'n', "dry-run", OptionValue::None, "write nothing; tell which files need fixing"},
    {'j', "jobs", OptionValue::Jobs, "fix N files at once"},
    {'q', "quiet", OptionValue::None, "list only other versions and failures"},
    {'r', "recursive", OptionValue::None, "fix every .PRJ file under each folder named"},
    {'L', "dereference", OptionValue::None, "follow links met in a walk (owner rule)"},
    {'x', "one-file-system", OptionValue::None, "do not walk into other file systems"},
    {0, "files0-from", OptionValue::File, "fix the NUL-ended names read from FILE"},
    {'h', "help", OptionValue::None, "display the help and exit"},
    {'V', "version", OptionValue::None, "output version information and exit"},
};

} // namespace quenlo::cli
