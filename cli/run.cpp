#include "run.h"

#include "error.h"
#include "fixprojectfile.h"

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

} // namespace

int run(const Options &options, std::ostream &out, std::ostream &err, FileService &files)
{
    bool wrongversion = false;
    bool failed = false;
    ProjectHeader prjheader{};
    for (const auto &path : options.files) {
        try {
            std::string line;
            if (options.dryrun) {
                const auto outcome = checkprojectfile(path, prjheader, files);
                line = outcome == FixOutcome::Fixed ? kNeedsFixing : outcometext(outcome);
                wrongversion |= outcome == FixOutcome::InvalidVersion;
            } else {
                HeldMessage message;
                const auto outcome = fixprojectfile(path, prjheader, message, files);
                line = message.text();
                wrongversion |= outcome == FixOutcome::InvalidVersion;
            }
            out << path << ": " << line << std::endl;
        } catch (const Error &error) {
            failed = true;
            err << "quenlo-fix: " << error.what() << std::endl;
        }
    }
    if (!out) {
        err << "quenlo-fix: cannot write to standard output" << std::endl;
        failed = true;
    }
    return failed ? kFailed : wrongversion ? kWrongVersion : kAllFixed;
}

} // namespace quenlo::cli
