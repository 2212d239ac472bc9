#pragma once

#include <string>
#include <string_view>

namespace quenlo::cli {

// What quenlo-fix's command line says and takes that differs between the
// systems: each system's own in cli/posix and cli/windows.

// The text of --help: the options, the default number of jobs, the exit
// statuses and the file systems of this system, and where the full
// reference is.
std::string_view helptext();

// Whether `arg` asks for help in this system's own way, besides -h and
// --help: "/?" and "-?" on Windows, as every Windows command takes them.
bool asksforhelp(std::string_view arg);

// Why no file can have the name `name` on this system, with a hint at what
// was meant; empty when it may name a file.
std::string namehint(std::string_view name);

} // namespace quenlo::cli
