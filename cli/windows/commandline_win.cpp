// quenlo-fix's help and names on Windows: /? asks for help, the help speaks
// of Windows (folders, one flush per file, Ctrl+C and Ctrl+Break), and a
// name holding '"' is told apart as what cmd or PowerShell made of a
// quoted folder typed with its last backslash.
#include "systemcommandline.h"

namespace quenlo::cli {

namespace {

constexpr std::string_view kHelp =
    "Usage: quenlo-fix [OPTION]... FILE...\n"
    "  or:  quenlo-fix [OPTION]... --files0-from=F\n"
    "Rewrite the version marker /8203 of each MIRD project FILE to /8202, in place.\n"
    "A FILE may hold the wildcards * and ? in its last part (*.PRJ).\n"
    "\n"
    "  -n, --dry-run    write nothing; tell which files need fixing, and which\n"
    "                   the real run could not fix (such as a file open in\n"
    "                   another program)\n"
    "  -j, --jobs=N     fix N files at once (1-256; default 32)\n"
    "  -q, --quiet      list only the files of another version (with -n: that need\n"
    "                   fixing) and the failures\n"
    "  -r, --recursive  fix every .PRJ file under each FOLDER named; folders\n"
    "                   marked both hidden and system (such as $RECYCLE.BIN and\n"
    "                   System Volume Information) are left out unless named;\n"
    "                   links and junctions in it are not followed\n"
    "  -L, --dereference\n"
    "                   with -r, follow links and junctions owned by you or by\n"
    "                   the owner of what they point to\n"
    "  -x, --one-file-system\n"
    "                   with -r, skip folders on other volumes\n"
    "      --files0-from=F\n"
    "                   fix the files named in file F, each name ended by a NUL\n"
    "                   (UTF-8); F - is standard input\n"
    "  -h, --help, /?   display this help and exit\n"
    "  -V, --version    output version information and exit\n"
    "\n"
    "Each file gets one line: fixed, already fixed, another version, or (with -n)\n"
    "needs fixing; a file that cannot be fixed is left as it was, its reason on\n"
    "standard error. On a console, a last line there counts the outcomes.\n"
    "Ctrl+C or Ctrl+Break finishes the files under way; a second stops at once.\n"
    "\n"
    "Exit status: 0 if every file was fixed or already fixed, 1 if a file had\n"
    "another version, 2 if a file or folder failed or the command line is wrong,\n"
    "130 after Ctrl+C or Ctrl+Break.\n"
    "\n"
    "The full reference: quenlo-fix.html beside this program.\n";

} // namespace

std::string_view helptext()
{
    return kHelp;
}

bool asksforhelp(std::string_view arg)
{
    return arg == "/?" || arg == "-?";
}

// A '"' never reaches a program from a quoted name but as a backslash
// before the closing quote: "C:\My Projects\" arrives as C:\My Projects"
// followed by the rest of the line, options included.
std::string namehint(std::string_view name)
{
    const auto quote = name.find('"');
    if (quote == std::string_view::npos)
        return {};
    auto meant = std::string(name.substr(0, quote));
    while (!meant.empty() && meant.back() == '\\')
        meant.pop_back();
    return "no Windows name holds '\"': a backslash right before a closing quote keeps the quote, and the rest of "
           "the line with it; type the folder without its last backslash (\"" + meant + "\") or double it (\"" + meant
           + "\\\\\")";
}

} // namespace quenlo::cli
