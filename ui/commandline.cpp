#include "commandline.h"

#include <string_view>

namespace quenlo {

namespace {

#ifdef _WIN32
#define QUENLO_HELP_OPTIONS "  -h, --help, /?   display this help and exit\n"
#define QUENLO_MORE "quenlo-fix.exe, beside this program, fixes many files at once.\n"
// As every Windows command takes them, besides -h and --help.
bool asksforhelp(std::string_view arg)
{
    return arg == "/?" || arg == "-?";
}
#else
#define QUENLO_HELP_OPTIONS "  -h, --help       display this help and exit\n"
#define QUENLO_MORE "quenlo-fix fixes many files at once. The full reference: quenlo(1).\n"
bool asksforhelp(std::string_view)
{
    return false;
}
#endif

constexpr std::string_view kHelp =
    "Usage: quenlo [OPTION]... [FILE]\n"
    "Open the window that repairs a MIRD project file (.PRJ): Select... chooses\n"
    "the file, Fix rewrites its version marker /8203 to /8202, in place.\n"
    "With FILE, the window starts with FILE selected, as if chosen with Select...\n"
    "\n"
    QUENLO_HELP_OPTIONS
    "  -V, --version    output version information and exit\n"
    "\n"
    "The window fixes one file at a time; given several, it takes the first.\n" QUENLO_MORE;

constexpr std::string_view kVersion = "quenlo " QUENLO_VERSION "\n";

constexpr int kWrongCommandLine = 2;

CommandLineReply wrong(const std::string &why)
{
    return {"quenlo: " + why + "\nTry 'quenlo --help' for more information.\n", kWrongCommandLine};
}

} // namespace

std::variant<std::vector<std::string>, CommandLineReply> parsecommandline(std::span<const std::string> args)
{
    std::vector<std::string> files;
    std::string_view asked; // the first of the help and the version asked for
    bool optionsended = false;
    for (const std::string_view arg : args) {
        if (!optionsended && asksforhelp(arg)) {
            if (asked.empty())
                asked = kHelp;
        } else if (optionsended || arg.size() < 2 || arg[0] != '-') {
            files.emplace_back(arg);
        } else if (arg == "--") {
            optionsended = true;
        } else if (arg[1] == '-') {
            const auto name = arg.substr(0, arg.find('='));
            if (name != "--help" && name != "--version")
                return wrong("unrecognized option '" + std::string(arg) + "'");
            if (name.size() != arg.size())
                return wrong("option '" + std::string(name) + "' doesn't allow an argument");
            if (asked.empty())
                asked = name == "--help" ? kHelp : kVersion;
        } else {
            for (const char letter : arg.substr(1)) {
                if (letter != 'h' && letter != 'V')
                    return wrong("invalid option -- '" + std::string(1, letter) + "'");
                if (asked.empty())
                    asked = letter == 'h' ? kHelp : kVersion;
            }
        }
    }
    if (!asked.empty())
        return CommandLineReply{std::string(asked), 0};
    return files;
}

} // namespace quenlo
