#include "options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

namespace quenlo::cli {

std::variant<Options, int> parseoptions(const std::vector<std::string> &args, std::ostream &out,
                                        std::ostream &err)
{
    Options options;
    CLI::App app{"Rewrites the version marker \"/8203\" in the first ten bytes of MIRD project files "
                 "to \"/8202\", in place, so that MIRD+ can open them.",
                 "quenlo-fix"};
    app.set_version_flag("-V,--version", "quenlo-fix " QUENLO_VERSION);
    app.add_flag("-n,--dry-run", options.dryrun, "Write nothing; report which files need fixing");
    options.jobs = kDefaultJobs;
    app.add_option("-j,--jobs", options.jobs, "Fix N files at once")
        ->check(CLI::Range(1U, kMostJobs))
        ->option_text("N");
    app.add_flag("-r,--recursive", options.recursive, "Fix every .PRJ file in the folders named, and below them");
    app.add_option("FILE", options.files, "Project files (.PRJ) to fix, in order")->required();
    app.footer("Exit status: 0 every file fixed, 1 a file had another version, 2 a file failed or bad arguments.");

    // CLI11 wants the arguments last-first, without the program's name.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp &) {
        out << app.help();
        return kAllFixed;
    } catch (const CLI::CallForVersion &) {
        out << app.version() << '\n';
        return kAllFixed;
    } catch (const CLI::ParseError &error) {
        err << "quenlo-fix: " << error.what() << "\nTry 'quenlo-fix --help' for more information.\n";
        return kFailed;
    }
    return options;
}

} // namespace quenlo::cli
