#include "operands.h"

#include "wildcards.h"

namespace quenlo::cli {

namespace {

void add(std::vector<Operand> &operands, std::string name, bool recursive, Folders &folders,
         const std::function<bool()> &stopped)
{
    if (recursive && isfolder(name)) {
        walkfolder(
            folders, name,
            [&](WalkedFile file) {
                const auto nameat = static_cast<std::uint32_t>(file.path.size() - file.name.size());
                operands.push_back({std::move(file.path), std::move(file.folder), nameat, file.link, nullptr});
            },
            [&](const Error &error) { operands.push_back({error.subject(), {}, 0, false, std::make_unique<Error>(error)}); },
            stopped);
        return;
    }
    operands.push_back({std::move(name), {}, 0, false, nullptr});
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
#ifdef _WIN32
        if (haswildcard(name)) {
            try {
                for (auto &match : expandwildcard(name))
                    add(operands, std::move(match), recursive, folders, stopped);
            } catch (const Error &error) {
                operands.push_back({name, {}, 0, false, std::make_unique<Error>(error)});
            }
            continue;
        }
#endif
        add(operands, name, recursive, folders, stopped);
    }
    return operands;
}

} // namespace quenlo::cli
