#include "commondialog.h"

#include "error.h"

#include <string_view>

namespace quenlo {

namespace {

// The number for an argument the dialog object cannot take.
constexpr int kInvalidArgument = 5;

[[noreturn]] void invalid(const std::string &what)
{
    throw Error(kInvalidArgument, {}, what);
}

std::vector<std::string> split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

} // namespace

void CommonDialog::setFilter(std::string filter)
{
    if (!filter.empty() && split(filter, '|').size() % 2 != 0)
        invalid("invalid filter: a description without a pattern");
    filter_ = std::move(filter);
}

std::vector<FileFilter> CommonDialog::filters() const
{
    std::vector<FileFilter> result;
    if (filter_.empty())
        return result;
    const auto parts = split(filter_, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter entry{parts[i], {}};
        for (const auto &pattern : split(parts[i + 1], ';'))
            if (auto clean = trimmed(pattern); !clean.empty())
                entry.patterns.push_back(std::move(clean));
        result.push_back(std::move(entry));
    }
    return result;
}

void CommonDialog::setAction(int code)
{
    if (code != kShowOpen)
        invalid("unknown dialog action " + std::to_string(code));
    const auto chosen = dialogs_.getopenfilename(OpenRequest{title_, filters(), filename_});
    if (chosen) {
        filename_ = *chosen;
        return;
    }
    if (cancelerror_)
        throw Error(kCancelError, {}, "Cancel was selected.");
}

} // namespace quenlo
