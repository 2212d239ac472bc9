// quenlo-fix's help and names on Linux and other POSIX systems.
#include "systemcommandline.h"

namespace quenlo::cli {

namespace {

// As GNU programs give it; the full reference is the manual page.
constexpr std::string_view kHelp =
    "Usage: quenlo-fix [OPTION]... FILE...\n"
    "  or:  quenlo-fix [OPTION]... --files0-from=F\n"
    "Rewrite the version marker /8203 of each MIRD project FILE to /8202, in place.\n"
    "\n"
    "  -n, --dry-run    write nothing; tell which files need fixing\n"
    "  -j, --jobs=N     fix N files at once (1-256; default 3 on ext4, XFS and\n"
    "                   btrfs, where one flush serves many files; 32 elsewhere)\n"
    "  -q, --quiet      list only the files of another version (with -n: that need\n"
    "                   fixing) and the failures\n"
    "  -r, --recursive  fix every .PRJ file under each DIRECTORY named; symbolic\n"
    "                   links in it are not followed\n"
    "  -L, --dereference\n"
    "                   with -r, follow symbolic links where the link belongs to\n"
    "                   you or to the owner of what it points to\n"
    "  -x, --one-file-system\n"
    "                   with -r, skip directories on other file systems\n"
    "      --files0-from=F\n"
    "                   fix the files named in file F, each name ended by a NUL\n"
    "                   (as find -print0 writes them); F - is standard input\n"
    "  -h, --help       display this help and exit\n"
    "  -V, --version    output version information and exit\n"
    "\n"
    "Each file gets one line: fixed, already fixed, another version, or (with -n)\n"
    "needs fixing; a file that cannot be fixed is left as it was, its reason on\n"
    "standard error. On a terminal, a last line there counts the outcomes.\n"
    "Ctrl-C finishes the files under way; a second stops at once.\n"
    "\n"
    "Exit status: 0 if every file was fixed or already fixed, 1 if a file had\n"
    "another version, 2 if a file or directory failed or the command line is\n"
    "wrong, 130 after Ctrl-C, 143 after SIGTERM.\n"
    "\n"
    "The full reference: quenlo-fix(1).\n";

} // namespace

std::string_view helptext()
{
    return kHelp;
}

bool asksforhelp(std::string_view)
{
    return false;
}

// Any bytes but '/' and NUL may be a name here.
std::string namehint(std::string_view)
{
    return {};
}

} // namespace quenlo::cli
