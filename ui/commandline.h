#pragma once

#include <span>
#include <string>
#include <variant>
#include <vector>

namespace quenlo {

// What the window's command line gets instead of a window: the help, the
// version, or why the command line is wrong, with the exit status.
struct CommandLineReply {
    std::string text;
    int status = 0; // 0 for the help and the version, 2 for a wrong command line
};

// Reads the window's command line (the arguments after the program's name):
// -h/--help (on Windows also /? and -?), -V/--version (short options may be
// grouped, the first asked for is answered), "--" ends the options, and "-"
// or anything else not starting with "-" is a file. Returns the files, as given, to start the window with, or
// the reply to give instead.
std::variant<std::vector<std::string>, CommandLineReply> parsecommandline(std::span<const std::string> args);

} // namespace quenlo
