// quenlo-fix's help on Windows: /? asks for it, and it speaks of Windows
// (folders, one flush per file, Ctrl+C and Ctrl+Break).
#include "systemcommandline.h"

namespace quenlo::cli {

namespace {

constexpr std::string_view kHelp =
    "Usage: quenlo-fix [OPTION]... FILE...\n"
    "Rewrite the version marker /8203 of each MIRD project FILE to /8202, in place.\n"
    "A FILE may hold the wildcards * and ? in its last part (*.PRJ).\n"
    "\n"
    "  -n, --dry-run    write nothing; tell which files need fixing, and which\n"
    "                   the real run could not fix (such as a file open in\n"
    "                   another program)\n"
    "  -j, --jobs=N     fix N files at once (1-256; default 32)\n"
    "  -r, --recursive  fix every .PRJ file under each FOLDER named; folders\n"
    "                   marked both hidden and system (such as $RECYCLE.BIN and\n"
    "                   System Volume Information) are left out unless named\n"
    "  -h, --help, /?   display this help and exit\n"
    "  -V, --version    output version information and exit\n"
    "\n"
    "Each file gets one line: fixed, already fixed, another version, or (with -n)\n"
    "needs fixing; a file that cannot be fixed is left as it was, its reason on\n"
    "standard error. Ctrl+C or Ctrl+Break finishes the files under way; a second\n"
    "stops at once.\n"
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

} // namespace quenlo::cli
