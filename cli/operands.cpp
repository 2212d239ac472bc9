#include "operands.h"

#include "folderwalk.h"
#include "wildcards.h"

namespace quenlo::cli {

namespace {

void add(std::vector<Operand> &operands, std::string name, bool recursive)
{
    if (recursive && isfolder(name)) {
        walkfolder(
            name, [&](std::string path) { operands.push_back({std::move(path), nullptr}); },
            [&](const Error &error) { operands.push_back({error.subject(), std::make_unique<Error>(error)}); });
        return;
    }
    operands.push_back({std::move(name), nullptr});
}

} // namespace

std::vector<Operand> gatheroperands(const std::vector<std::string> &names, bool recursive)
{
    std::vector<Operand> operands;
    operands.reserve(names.size());
    for (const auto &name : names) {
#ifdef _WIN32
        if (haswildcard(name)) {
            try {
                for (auto &match : expandwildcard(name))
                    add(operands, std::move(match), recursive);
            } catch (const Error &error) {
                operands.push_back({name, std::make_unique<Error>(error)});
            }
            continue;
        }
#endif
        add(operands, name, recursive);
    }
    return operands;
}

} // namespace quenlo::cli
