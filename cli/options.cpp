#include "options.h"

#include "optiontable.h"
#include "quotename.h"
#include "systemcommandline.h"
#include "writefailure.h"

#include <optional>
#include <ostream>
#include <string_view>

namespace quenlo::cli {

namespace {

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
        for (next_ = 0; next_ < args.size() && result_.error.empty();) {
            const auto &arg = args[next_++];
            if (optionsended)
                file(arg);
            else if (asksforhelp(arg))
                request(Request::Help);
            else if (arg.size() < 2 || arg[0] != '-')
                file(arg);
            else if (arg == "--")
                optionsended = true;
            else if (arg[1] == '-')
                longoption(arg, args);
            else
                shortoptions(arg, args);
        }
        if (!result_.error.empty() || result_.request != Request::Run)
            return result_;
        const auto &options = result_.options;
        if (options.files0from && !options.files.empty())
            result_.error = "extra operand " + quoted(options.files.front())
                            + "\nfile operands cannot be combined with --files0-from";
        else if (!options.files0from && options.files.empty())
            result_.error = "missing file operand";
        return result_;
    }

private:
    void file(const std::string &name)
    {
        // A name no file can have is the command line's fault: it may have
        // swallowed options meant for the run.
        if (auto hint = namehint(name); !hint.empty())
            result_.error = quoted(name) + ": " + hint;
        else
            result_.options.files.push_back(name);
    }

    void request(Request request)
    {
        // The first of help and version asked for is the one answered.
        if (result_.request == Request::Run)
            result_.request = request;
    }

    static const OptionRow *rowof(std::string_view name)
    {
        for (const auto &row : kOptionTable)
            if (row.name == name)
                return &row;
        return nullptr;
    }

    static const OptionRow *rowof(char letter)
    {
        for (const auto &row : kOptionTable)
            if (row.letter != 0 && row.letter == letter)
                return &row;
        return nullptr;
    }

    // An option that takes no value.
    void apply(const OptionRow &row)
    {
        switch (row.letter) {
        case 'n':
            result_.options.dryrun = true;
            break;
        case 'q':
            result_.options.quiet = true;
            break;
        case 'r':
            result_.options.recursive = true;
            break;
        case 'x':
            result_.options.onefilesystem = true;
            break;
        case 'L':
            result_.options.dereference = true;
            break;
        case 'h':
            request(Request::Help);
            break;
        case 'V':
            request(Request::Version);
            break;
        default:
            break;
        }
    }

    // An option's value; the last one given counts.
    void value(const OptionRow &row, std::string_view value)
    {
        if (row.value == OptionValue::Jobs)
            jobs(value);
        else
            result_.options.files0from = std::string(value);
    }

    // The number of jobs, as given: decimal digits only, 1 to kMostJobs.
    void jobs(std::string_view value)
    {
        unsigned number = 0;
        const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
        for (std::size_t i = 0; digits && i < value.size() && number <= kMostJobs; ++i)
            number = number * 10 + static_cast<unsigned>(value[i] - '0');
        if (!digits || number < 1 || number > kMostJobs)
            result_.error = "invalid number of jobs: " + quoted(value) + " (1 to " + std::to_string(kMostJobs) + ")";
        else
            result_.options.jobs = number;
    }

    // The value of an option that takes one from the next argument, as
    // getopt takes it: whatever that argument is.
    std::optional<std::string_view> nextvalue(const std::vector<std::string> &args)
    {
        if (next_ >= args.size())
            return std::nullopt;
        return args[next_++];
    }

    void longoption(std::string_view arg, const std::vector<std::string> &args)
    {
        const auto equals = arg.find('=');
        const auto name = arg.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2);
        const auto *row = rowof(name);
        if (!row) {
            result_.error = "unrecognized option " + quoted(arg);
        } else if (row->value != OptionValue::None) {
            const auto given = equals != std::string_view::npos ? std::optional(arg.substr(equals + 1)) : nextvalue(args);
            if (given)
                value(*row, *given);
            else
                result_.error = "option " + quoted(arg) + " requires an argument";
        } else if (equals != std::string_view::npos) {
            result_.error = "option " + quoted(arg.substr(0, equals)) + " doesn't allow an argument";
        } else {
            apply(*row);
        }
    }

    void shortoptions(std::string_view arg, const std::vector<std::string> &args)
    {
        for (std::size_t i = 1; i < arg.size(); ++i) {
            const auto *row = rowof(arg[i]);
            if (!row) {
                result_.error = "invalid option -- " + quoted(arg.substr(i, 1));
                return;
            }
            if (row->value != OptionValue::None) {
                // The rest of the group is the value, or else the next argument.
                const auto given = i + 1 < arg.size() ? std::optional(arg.substr(i + 1)) : nextvalue(args);
                if (given)
                    value(*row, *given);
                else
                    result_.error = "option requires an argument -- " + quoted(arg.substr(i, 1));
                return;
            }
            apply(*row);
        }
    }

    CommandLine result_;
    std::size_t next_ = 0; // the next argument to read
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
    if (commandline.request == Request::Run)
        return std::move(commandline.options);
    out << (commandline.request == Request::Help ? helptext() : kVersion) << std::flush;
    if (out)
        return kAllFixed;
    const auto why = writefailure(out);
    err << "quenlo-fix: cannot write to standard output" << (why.empty() ? "" : ": " + why) << std::endl;
    return kFailed;
}

} // namespace quenlo::cli
