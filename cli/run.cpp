#include "run.h"

#include "error.h"
#include "fixheader.h"
#include "fixprojectfile.h"
#include "quotename.h"

#include <optional>
#include <ostream>
#include <string>

namespace quenlo::cli {

namespace {

// Keeps the outcome message until the fix has finished: a line is printed
// only for a run that closed the file cleanly, so a failure is never
// preceded by a success line.
class HeldMessage final : public MessageService {
public:
    void show(std::string_view text, std::string_view) override { text_ = text; }
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

constexpr std::string_view kNeedsFixing = "Project file needs fixing.";
constexpr std::string_view kAlreadyFixed = "Project file already fixed.";

// The error line for a file that failed, its name quoted when it has to be.
std::string errorline(const Error &error)
{
    if (!needsquoting(error.subject()))
        return error.what();
    return quotename(error.subject()) + ": " + error.reason();
}

// A dry run's note that the real run could not open the file for the fix.
std::optional<Error> realrunfailure(const std::string &path, const CheckResult &check)
{
    if (!check.wouldfail)
        return std::nullopt;
    return Error(check.wouldfail->number(), path, "the real run would fail: " + check.wouldfail->reason());
}

} // namespace

int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files)
{
    bool wrongversion = false;
    bool failed = false;
    ProjectHeader prjheader{};
    for (const auto &path : options.files) {
        try {
            std::string line;
            FixOutcome outcome;
            std::optional<Error> wouldfail;
            if (options.dryrun) {
                const auto check = checkprojectfile(path, prjheader, files);
                outcome = check.outcome;
                line = outcome == FixOutcome::Fixed ? kNeedsFixing : outcometext(outcome);
                wouldfail = realrunfailure(path, check);
            } else {
                HeldMessage message;
                outcome = fixprojectfile(path, prjheader, message, files);
                line = message.text();
            }
            // prjheader holds the header as read: a file fixed by an earlier
            // run (or earlier in this one) is done, not of another version.
            const bool done = outcome == FixOutcome::InvalidVersion && isalreadyfixed(prjheader);
            if (done)
                line = kAlreadyFixed;
            wrongversion |= outcome == FixOutcome::InvalidVersion && !done;
            out << quotename(path) << ": " << line << std::endl;
            if (wouldfail) {
                // The dry run predicts the real run, exit status included.
                failed = true;
                err << "quenlo-fix: " << errorline(*wouldfail) << std::endl;
            }
        } catch (const Error &error) {
            failed = true;
            err << "quenlo-fix: " << errorline(error) << std::endl;
        }
    }
    if (!out) {
        err << "quenlo-fix: cannot write to standard output" << std::endl;
        failed = true;
    }
    return failed ? kFailed : wrongversion ? kWrongVersion : kAllFixed;
}

} // namespace quenlo::cli
