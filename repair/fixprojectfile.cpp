#include "fixprojectfile.h"

#include "error.h"
#include "exitguard.h"
#include "fixheader.h"

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

// The fix on a file open for reading and writing: read, test, and write
// back and flush what needs it (with `later`, the flush is left to the
// caller).
FixOutcome fixopen(File &file, ProjectHeader &prjheader, bool later = false)
{
    const auto header = readheader(file, prjheader);
    const std::string asread(header.begin(), header.end());
    const auto outcome = fixheader(header);
    if (outcome == FixOutcome::Fixed) {
        writechanged(file, header, asread);
        if (!later)
            file.flush();
    }
    return outcome;
}

SharedFix fixunlessfixed(const std::string &prjpath, ProjectHeader &prjheader, FileService &files, bool mayshare)
{
    auto file = files.openforreading(prjpath);
    ProjectHeader copy{};
    const auto header = readheader(*file, copy);
    if (fixheader(header) != FixOutcome::Fixed) {
        prjheader = copy;
        file->close();
        return {FixOutcome::InvalidVersion, nullptr};
    }
    // Read again under the exclusive lock: another program may have
    // changed the file in between.
    file = file->reopenforupdate();
    const bool shared = mayshare && file->sharedflush();
    const auto outcome = fixopen(*file, prjheader, shared);
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
    const auto outcome = fixopen(*file, prjheader);
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
