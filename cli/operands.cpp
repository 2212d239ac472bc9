#include "operands.h"

#include "wildcards.h"

#include <cerrno>

#ifdef _WIN32
#include "utf16.h"
#include "widepath.h"
#endif

namespace quenlo::cli {

namespace {

// A name known to fail before any work.
Operand failing(std::string path, const Error &error)
{
    return {std::move(path), {}, 0, false, std::nullopt, std::make_unique<Error>(error)};
}

// `name`, as listed in `folder`, shown as `path`.
Operand listed(std::string path, std::shared_ptr<const Folder> folder, std::size_t name, bool link)
{
    const auto nameat = static_cast<std::uint32_t>(path.size() - name);
    return {std::move(path), std::move(folder), nameat, link, std::nullopt, nullptr};
}

// How the walks of one run go.
struct Walking {
    bool recursive;
    Folders &folders;
    const std::function<bool()> &stopped;
    bool onefilesystem;
};

void walk(std::vector<Operand> &operands, std::shared_ptr<const Folder> top, const Walking &how)
{
    walkfolder(
        how.folders, std::move(top),
        [&](WalkedFile file) {
            operands.push_back(listed(std::move(file.path), std::move(file.folder), file.name.size(), file.link));
        },
        [&](const Error &error) { operands.push_back(failing(error.subject(), error)); },
        how.stopped, how.onefilesystem);
}

void add(std::vector<Operand> &operands, std::string name, const Walking &how)
{
#ifdef _WIN32
    name = asworkedon(name);
#endif
    const auto look = lookatname(name);
    if (look.folder) {
        if (how.recursive) {
            walk(operands, std::make_shared<const Folder>(nullptr, name, name), how);
            return;
        }
        // Refused before anything is opened, saying how to walk it.
        const Error problem(EISDIR, name, "is a " + std::string(kFolderWord) + " (use -r to fix the files in it)");
        operands.push_back(failing(std::move(name), problem));
        return;
    }
    operands.push_back({std::move(name), {}, 0, false, look.identity, nullptr});
}

#ifdef _WIN32
// A pattern's matches, each reached as listed. With `recursive` a matching
// folder is walked, through a link too, as one named on the command line.
void addmatches(std::vector<Operand> &operands, const std::string &pattern, const Walking &how)
{
    const bool recursive = how.recursive;
    auto &folders = how.folders;
    Matches matches;
    try {
        matches = expandwildcard(folders, pattern);
    } catch (const Error &error) {
        operands.push_back(failing(pattern, error));
        return;
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
                return;
            std::string exact;
            try {
                exact = win::toutf8(exactpath(*folder, entry.name), win::LoneSurrogate::keep);
            } catch (const Error &error) {
                operands.push_back(failing(path, Error(error.number(), path, error.reason())));
                continue;
            }
            walk(operands, std::make_shared<const Folder>(nullptr, std::move(exact), std::move(path)), how);
            continue;
        }
        operands.push_back(listed(std::move(path), folder, entry.name.size(), entry.kind == FolderEntry::Link));
    }
}
#endif

} // namespace

std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive, Folders &folders,
                                    const std::function<bool()> &stopped, bool onefilesystem)
{
    const Walking how{recursive, folders, stopped, onefilesystem};
    std::vector<Operand> operands;
    operands.reserve(names.size());
    for (const auto &name : names) {
        if (stopped())
            break;
#ifdef _WIN32
        if (haswildcard(name)) {
            addmatches(operands, name, how);
            continue;
        }
#endif
        add(operands, name, how);
    }
    return operands;
}

std::vector<Operand> gatheroperands(const NextName &next, bool recursive, Folders &folders,
                                    const std::function<bool()> &stopped, bool onefilesystem)
{
    const Walking how{recursive, folders, stopped, onefilesystem};
    std::vector<Operand> operands;
    while (!stopped()) {
        std::optional<std::string> name;
        try {
            name = next();
        } catch (const Error &error) {
            operands.push_back(failing(error.subject(), error));
            continue;
        }
        if (!name)
            break;
        add(operands, std::move(*name), how);
    }
    return operands;
}

} // namespace quenlo::cli
