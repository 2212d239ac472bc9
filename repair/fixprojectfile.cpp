#include "fixprojectfile.h"

#include "error.h"
#include "exitguard.h"
#include "fixheader.h"

#include <cerrno>
#include <string_view>

namespace quenlo {

namespace {

constexpr std::uint64_t kFirstByte = 1;

// Fills `prjheader` from the start of the file and returns the part of it
// that the file really holds. Whatever an earlier file left is cleared.
std::span<char> readheader(File &file, ProjectHeader &prjheader)
{
    prjheader.fill('\0');
    const auto count = file.read(kFirstByte, prjheader);
    return std::span<char>(prjheader).first(count);
}

// Reads the header into `prjheader` and tells whether it needs the fix.
bool needsfix(File &file, ProjectHeader &prjheader)
{
    const auto header = readheader(file, prjheader);
    auto copy = prjheader;
    return fixheader(std::span<char>(copy).first(header.size())) == FixOutcome::Fixed;
}

// Writes the bytes of `fixed` that differ from `asread`, in one write from
// the first of them to the last: the one changed digit of a header with one
// marker. A header that holds the marker twice gets both digits and, between
// them, the second marker's first characters as read; one write, so that a
// failing disk never leaves one marker fixed and the other not. Another
// program's change to the rest of the header is never undone.
void writechanged(File &file, std::span<const char> fixed, std::string_view asread)
{
    std::size_t first = 0, last = fixed.size();
    while (first < last && fixed[first] == asread[first])
        ++first;
    while (last > first && fixed[last - 1] == asread[last - 1])
        --last;
    // A program told to end at once waits for the write and its undoing.
    const ExitGuard whole;
    try {
        file.write(kFirstByte + first, fixed.subspan(first, last - first));
    } catch (const Error &) {
        // A write that stopped part-way: put back the bytes as they were
        // read, if the file lets us.
        try {
            file.write(kFirstByte + first, asread.substr(first, last - first));
        } catch (const Error &) {
        }
        throw;
    }
}

// Where other programs could not be kept out, a file now shorter than the
// header read was changed meanwhile: writing would lengthen it.
void checkunchanged(const File &file, std::size_t length, const std::string &prjpath)
{
    const auto size = file.size();
    if (size && *size < length)
        throw Error(EBUSY, prjpath, "the file changed while it was being fixed");
}

// What becomes of the hold once the header is rewritten: let go at once
// (the window keeps the file open), kept until the flush left to the caller,
// or let go by the close that follows at once.
enum class Hold { letgo, keep, close };

// The fix on a file open for reading and writing, under a hold that keeps
// other programs from writing it where the system allows: the header read
// again, tested, and what needs it written back and flushed (with
// Hold::keep, the flush is left to the caller).
FixOutcome rewrite(File &file, ProjectHeader &prjheader, const std::string &prjpath, Hold after)
{
    const bool held = file.holdforwrite();
    try {
        const auto header = readheader(file, prjheader);
        const std::string asread(header.begin(), header.end());
        const auto outcome = fixheader(header);
        const bool kept = outcome == FixOutcome::Fixed && after == Hold::keep;
        if (outcome == FixOutcome::Fixed) {
            if (!held)
                checkunchanged(file, asread.size(), prjpath);
            writechanged(file, header, asread);
            if (!kept)
                file.flush();
        }
        if (after != Hold::close)
            file.letgo(!kept);
        return outcome;
    } catch (...) {
        file.letgo(true);
        throw;
    }
}

SharedFix fixunlessfixed(const std::string &prjpath, ProjectHeader &prjheader, FileService &files, bool mayshare)
{
    auto file = files.openforreading(prjpath);
    if (!needsfix(*file, prjheader)) {
        file->close();
        return {FixOutcome::InvalidVersion, nullptr};
    }
    // Read again under the exclusive lock: another program may have
    // changed the file in between.
    file = file->reopenforupdate();
    const bool shared = mayshare && file->sharedflush();
    const auto outcome = rewrite(*file, prjheader, prjpath, shared ? Hold::keep : Hold::close);
    if (shared && outcome == FixOutcome::Fixed)
        return {outcome, std::move(file)};
    file->close();
    return {outcome, nullptr};
}

} // namespace

FixOutcome fixprojectfile(const std::string &prjpath, ProjectHeader &prjheader, MessageService &messages,
                          FileService &files)
{
    const auto file = files.open(prjpath);
    // The hold is taken around the write only: the file stays open, and
    // locked, while the message is up.
    const auto outcome = needsfix(*file, prjheader) ? rewrite(*file, prjheader, prjpath, Hold::letgo)
                                                    : FixOutcome::InvalidVersion;
    messages.show(outcometext(outcome), kFixResultTitle);
    file->close();
    return outcome;
}

CheckResult checkprojectfile(const std::string &prjpath, ProjectHeader &prjheader, FileService &files)
{
    const auto file = files.openforreading(prjpath);
    CheckResult result;
    result.outcome = fixheader(readheader(*file, prjheader));
    // Only a file that needs the fix is opened for writing.
    if (result.outcome == FixOutcome::Fixed)
        result.wouldfail = file->updateblocked();
    file->close();
    return result;
}

FixOutcome fixifneeded(const std::string &prjpath, ProjectHeader &prjheader, FileService &files)
{
    return fixunlessfixed(prjpath, prjheader, files, false).outcome;
}

SharedFix fixsharingflush(const std::string &prjpath, ProjectHeader &prjheader, FileService &files)
{
    return fixunlessfixed(prjpath, prjheader, files, true);
}

} // namespace quenlo
