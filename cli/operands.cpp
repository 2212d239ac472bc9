#include "operands.h"

#include "operandsystem.h"

#include <cerrno>

namespace quenlo::cli {

Operand failingoperand(std::string path, const Error &error)
{
    return {{}, std::move(path), std::nullopt, std::make_unique<Error>(error)};
}

Operand listedoperand(std::shared_ptr<const Folder> folder, std::string name, bool link)
{
    return {std::move(folder), std::move(name), std::nullopt, nullptr, link};
}

// A folder walked that holds no project file says so, lest a mistyped
// tree pass for one whose files are all fixed.
void addwalked(std::vector<Operand> &operands, std::shared_ptr<const Folder> top, const Walking &how)
{
    const auto before = operands.size();
    const auto shown = top->path();
    walkfolder(
        how.folders, std::move(top), how.dereference,
        [&](WalkedFile file) {
            operands.push_back(listedoperand(std::move(file.folder), std::move(file.name), file.link));
        },
        [&](const Error &error) { operands.push_back(failingoperand(error.subject(), error)); }, how.stopped,
        how.onefilesystem);
    if (operands.size() == before && !how.stopped()) {
        auto none = failingoperand(shown, Error(ENOENT, shown, "no project file (.PRJ) was found under it"));
        none.notice = true;
        operands.push_back(std::move(none));
    }
}

namespace {

void add(std::vector<Operand> &operands, std::string name, const Walking &how)
{
    name = typedname(name);
    if (!how.recursive) {
        Operand named{{}, std::move(name), std::nullopt, nullptr};
        named.looklater = true;
        operands.push_back(std::move(named));
        return;
    }
    const auto look = lookatname(name);
    if (look.folder) {
        addwalked(operands, std::make_shared<const Folder>(nullptr, name, name), how);
        return;
    }
    operands.push_back({{}, std::move(name), look.identity, nullptr});
}

} // namespace

void lookatnamed(const Operand &operand)
{
    const auto look = lookatname(operand.name);
    // Refused before anything is opened, saying how to walk it.
    if (look.folder)
        throw Error(EISDIR, operand.name, "is a " + std::string(kFolderWord) + " (use -r to fix the files in it)");
    operand.identity = look.identity;
}

std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive, bool dereference,
                                    Folders &folders, const std::function<bool()> &stopped, bool onefilesystem)
{
    const Walking how{recursive, dereference, folders, stopped, onefilesystem};
    std::vector<Operand> operands;
    operands.reserve(names.size());
    for (const auto &name : names) {
        if (stopped())
            break;
        if (addmatches(operands, name, how))
            continue;
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
            operands.push_back(failingoperand(error.subject(), error));
            continue;
        }
        if (!name)
            break;
        add(operands, std::move(*name), how);
    }
    return operands;
}

} // namespace quenlo::cli
