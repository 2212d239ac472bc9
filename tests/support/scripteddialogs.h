#pragma once

#include "error.h"
#include "filedialog.h"

#include <deque>
#include <variant>
#include <vector>

namespace quenlo::test {

// Answers each Open dialog with the next scripted answer instead of showing
// one: a chosen path, a cancel, or a failure. Keeps what it was asked.
class ScriptedDialogs final : public FileDialogService {
public:
    struct Cancel {};
    using Answer = std::variant<std::string, Cancel, Error>;

    std::optional<std::string> getopenfilename(const OpenRequest &request) override
    {
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        const Answer answer = answers.front();
        answers.pop_front();
        if (const auto *error = std::get_if<Error>(&answer))
            throw *error;
        if (const auto *chosen = std::get_if<std::string>(&answer))
            return *chosen;
        return std::nullopt;
    }

    std::deque<Answer> answers;
    std::vector<OpenRequest> requests;
};

} // namespace quenlo::test
