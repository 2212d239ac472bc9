#include "operandsystem.h"

#include "folderwalk_win.h"
#include "utf16.h"
#include "widepath.h"
#include "wildcards_win.h"

namespace quenlo::cli {

std::string typedname(const std::string &typed)
{
    return asworkedon(typed);
}

bool addmatches(std::vector<Operand> &operands, const std::string &pattern, const Walking &how)
{
    if (!haswildcard(pattern))
        return false;
    const bool recursive = how.recursive;
    auto &folders = how.folders;
    Matches matches;
    try {
        matches = expandwildcard(folders, pattern);
    } catch (const Error &error) {
        operands.push_back(failingoperand(pattern, error));
        return true;
    }
    const auto &folder = matches.folder;
    for (const auto &entry : matches.entries) {
        auto path = joinpath(folder->path(), entry.name);
        bool walked = entry.kind == FolderEntry::Folder;
        if (recursive && entry.kind == FolderEntry::Link) {
            try {
                walked = isfolderin(folders.hold(*folder), entry.name);
            } catch (const Error &) {
            }
        }
        if (recursive && walked) {
            if (how.stopped())
                return true;
            std::string exact;
            try {
                exact = win::toutf8(exactpath(*folder, entry.name), win::LoneSurrogate::keep);
            } catch (const Error &error) {
                operands.push_back(failingoperand(path, Error(error.number(), path, error.reason())));
                continue;
            }
            addwalked(operands, std::make_shared<const Folder>(nullptr, std::move(exact), std::move(path)), how);
            continue;
        }
        operands.push_back(listedoperand(folder, entry.name, entry.kind == FolderEntry::Link));
    }
    return true;
}

} // namespace quenlo::cli
