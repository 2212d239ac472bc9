#include "fixprojectfile.h"

#include "error.h"
#include "fixheader.h"

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

void writeheader(File &file, std::span<const char> fixed, const std::string &asread)
{
    try {
        file.write(kFirstByte, fixed);
    } catch (const Error &) {
        // A write that stopped part-way may have fixed one marker and not the
        // other: put back the bytes as they were read, if the file lets us.
        try {
            file.write(kFirstByte, asread);
        } catch (const Error &) {
        }
        throw;
    }
}

} // namespace

FixOutcome fixprojectfile(const std::string &prjpath, ProjectHeader &prjheader, MessageService &messages,
                          FileService &files)
{
    const auto file = files.open(prjpath);
    const auto header = readheader(*file, prjheader);
    const std::string asread(header.begin(), header.end());
    const auto outcome = fixheader(header);
    if (outcome == FixOutcome::Fixed) {
        writeheader(*file, header, asread);
        file->flush();
    }
    messages.show(outcometext(outcome), kFixResultTitle);
    file->close();
    return outcome;
}

CheckResult checkprojectfile(const std::string &prjpath, ProjectHeader &prjheader, FileService &files)
{
    const auto file = files.openforreading(prjpath);
    CheckResult result;
    result.outcome = fixheader(readheader(*file, prjheader));
    result.wouldfail = file->updateblocked();
    file->close();
    return result;
}

} // namespace quenlo
