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
    return {{}, std::move(path), std::nullopt, std::make_unique<Error>(error)};
}

// `name`, as listed in `folder`.
Operand listed(std::shared_ptr<const Folder> folder, std::string name, bool link)
{
    return {std::move(folder), std::move(name), std::nullopt, nullptr, link};
}

// How the walks of one run go.
struct Walking {
    bool recursive;
    bool dereference;
    Folders &folders;
    const std::function<bool()> &stopped;
    bool onefilesystem;
};

// A folder walked that holds no project file says so, lest a mistyped
// tree pass for one whose files are all fixed.
void walk(std::vector<Operand> &operands, std::shared_ptr<const Folder> top, const Walking &how)
{
    const auto before = operands.size();
    const auto shown = top->path();
    walkfolder(
        how.folders, std::move(top), how.dereference,
        [&](WalkedFile file) { operands.push_back(listed(std::move(file.folder), std::move(file.name), file.link)); },
        [&](const Error &error) { operands.push_back(failing(error.subject(), error)); },
        how.stopped, how.onefilesystem);
    if (operands.size() == before && !how.stopped()) {
        auto none = failing(shown, Error(ENOENT, shown, "no project file (.PRJ) was found under it"));
        none.notice = true;
        operands.push_back(std::move(none));
    }
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
    operands.push_back({{}, std::move(name), look.identity, nullptr});
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
        operands.push_back(listed(folder, entry.name, entry.kind == FolderEntry::Link));
    }
}
#endif

} // namespace

std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive, bool dereference,
                                    Folders &folders, const std::function<bool()> &stopped, bool onefilesystem)
{
    const Walking how{recursive, dereference, folders, stopped, onefilesystem};
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

std::vector<Operand> gatheroperands(const NextName &next, bool recursive, bool dereference, Folders &folders,
                                    const std::function<bool()> &stopped, bool onefilesystem)
{
    const Walking how{recursive, dereference, folders, stopped, onefilesystem};
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
