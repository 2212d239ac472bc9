#include "options.h"

#include "quotename.h"

#include <optional>
#include <ostream>
#include <string_view>

namespace quenlo::cli {

namespace {

constexpr std::string_view kHelp =
    "Usage: quenlo-fix [-n|--dry-run] [--] FILE...\n"
    "  or:  quenlo-fix -h|--help\n"
    "  or:  quenlo-fix -V|--version\n"
    "Rewrites the version marker \"/8203\" in the first ten bytes of each MIRD\n"
    "project file to \"/8202\", in place, so that MIRD+ can open it.\n"
    "\n"
    "  -n, --dry-run  write nothing; report which files need fixing\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "  --             end of options: every argument after it is a FILE\n"
    "\n"
    "Short options may be grouped (-nV). No option takes a value, and long\n"
    "options cannot be abbreviated.\n"
    "\n"
    "Exit status: 0 every file fixed or already fixed, 1 a file had another\n"
    "version, 2 a file failed or the arguments are wrong.\n";

constexpr std::string_view kVersion = "quenlo-fix " QUENLO_VERSION "\n";

enum class Request { Run, Help, Version };

struct CommandLine {
    Options options;
    Request request = Request::Run;
    std::string error; // empty when the command line is sound
};

// An argument or a part of one inside single quotes, as GNU getopt names
// it, in the quoting of file names when it needs more than that.
std::string quoted(std::string_view text)
{
    return needsquoting(text) ? quotename(text) : "'" + std::string(text) + "'";
}

class Parser {
public:
    CommandLine parse(const std::vector<std::string> &args)
    {
        bool optionsended = false;
        for (const auto &arg : args) {
            if (optionsended || arg.size() < 2 || arg[0] != '-')
                result_.options.files.push_back(arg);
            else if (arg == "--")
                optionsended = true;
            else if (arg[1] == '-')
                longoption(arg);
            else
                shortoptions(arg);
            if (!result_.error.empty())
                break;
        }
        if (result_.error.empty() && result_.request == Request::Run && result_.options.files.empty())
            result_.error = "missing file operand";
        return result_;
    }

private:
    void request(Request request)
    {
        // The first of help and version asked for is the one answered.
        if (result_.request == Request::Run)
            result_.request = request;
    }

    static std::optional<char> letterof(std::string_view name)
    {
        if (name == "dry-run")
            return 'n';
        if (name == "help")
            return 'h';
        if (name == "version")
            return 'V';
        return std::nullopt;
    }

    bool apply(char letter)
    {
        switch (letter) {
        case 'n':
            result_.options.dryrun = true;
            return true;
        case 'h':
            request(Request::Help);
            return true;
        case 'V':
            request(Request::Version);
            return true;
        default:
            return false;
        }
    }

    void longoption(std::string_view arg)
    {
        const auto equals = arg.find('=');
        const auto name = arg.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2);
        const auto letter = letterof(name);
        if (!letter)
            result_.error = "unrecognized option " + quoted(arg);
        else if (equals != std::string_view::npos)
            result_.error = "option " + quoted(arg.substr(0, equals)) + " doesn't allow an argument";
        else
            apply(*letter);
    }

    void shortoptions(std::string_view arg)
    {
        for (std::size_t i = 1; i < arg.size(); ++i) {
            if (!apply(arg[i])) {
                result_.error = "invalid option -- " + quoted(arg.substr(i, 1));
                return;
            }
        }
    }

    CommandLine result_;
};

} // namespace

std::variant<Options, int> parseoptions(const std::vector<std::string> &args, std::ostream &out,
                                        std::ostream &err)
{
    auto commandline = Parser().parse(args);
    if (!commandline.error.empty()) {
        err << "quenlo-fix: " << commandline.error << "\nTry 'quenlo-fix --help' for more information.\n";
        return kFailed;
    }
    switch (commandline.request) {
    case Request::Help:
        out << kHelp << std::flush;
        return out ? kAllFixed : kFailed;
    case Request::Version:
        out << kVersion << std::flush;
        return out ? kAllFixed : kFailed;
    case Request::Run:
        break;
    }
    return std::move(commandline.options);
}

} // namespace quenlo::cli
