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
void addwalked(std::vector<Operand> &operands, std::shared_ptr<const Folder> top, Folders &folders,
               const std::function<bool()> &stopped)
{
    const auto before = operands.size();
    const auto shown = top->path();
    walkfolder(
        folders, std::move(top),
        [&](WalkedFile file) {
            operands.push_back(listedoperand(std::move(file.folder), std::move(file.name), file.link));
        },
        [&](const Error &error) { operands.push_back(failingoperand(error.subject(), error)); },
        stopped);
    if (operands.size() == before && !stopped()) {
        auto none = failingoperand(shown, Error(ENOENT, shown, "no project file (.PRJ) was found under it"));
        none.notice = true;
        operands.push_back(std::move(none));
    }
}

namespace {

void add(std::vector<Operand> &operands, std::string name, bool recursive, Folders &folders,
         const std::function<bool()> &stopped)
{
    name = typedname(name);
    const auto look = lookatname(name);
    if (look.folder) {
        if (recursive) {
            addwalked(operands, std::make_shared<const Folder>(nullptr, name, name), folders, stopped);
            return;
        }
        // Refused before anything is opened, saying how to walk it.
        const Error problem(EISDIR, name, "is a " + std::string(kFolderWord) + " (use -r to fix the files in it)");
        operands.push_back(failingoperand(std::move(name), problem));
        return;
    }
    operands.push_back({{}, std::move(name), look.identity, nullptr});
}

} // namespace

std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive, Folders &folders,
                                    const std::function<bool()> &stopped)
{
    std::vector<Operand> operands;
    operands.reserve(names.size());
    for (const auto &name : names) {
        if (stopped())
            break;
        if (addmatches(operands, name, recursive, folders, stopped))
            continue;
        add(operands, name, recursive, folders, stopped);
    }
    return operands;
}

} // namespace quenlo::cli
