// Wildcards in file arguments, expanded as Windows programs do: neither cmd
// nor PowerShell expands them for the program. The folder is listed whole
// and each long name matched here: the file system's own matching also
// takes the 8.3 short names.
#include "error.h"
#include "utf16.h"
#include "widepath.h"
#include "wildcards_win.h"
#include "winfailure.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>


namespace quenlo::cli {

namespace {

// One step of a pattern in the file system's terms (FsRtlIsNameInExpression):
// '?' is always a DOS question mark, '*.' at the end a DOS star, a '.'
// before '?' or '*' a DOS dot.
struct Step {
    enum Kind { Letter, Star, DosStar, DosQuestion, DosDot } kind;
    wchar_t letter = 0;
};

std::vector<Step> steps(std::wstring_view pattern)
{
    if (pattern == L"*.*")
        return {{Step::Star}};
    std::vector<Step> steps;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        const bool last = i + 1 == pattern.size();
        if (c == L'*')
            steps.push_back({Step::Star});
        else if (c == L'?')
            steps.push_back({Step::DosQuestion});
        else if (c == L'.' && last && i > 0 && pattern[i - 1] == L'*')
            steps.back().kind = Step::DosStar;
        else if (c == L'.' && !last && (pattern[i + 1] == L'?' || pattern[i + 1] == L'*'))
            steps.push_back({Step::DosDot});
        else
            steps.push_back({Step::Letter, c});
    }
    return steps;
}

// A listed name for matching. One holding a lone surrogate, which
// win::toutf16() refuses, is matched with U+FFFD in its place, and refused
// by name when opened.
std::wstring formatching(const std::string &name)
{
    return win::toutf16lossy(name);
}

bool sameletter(wchar_t a, wchar_t b)
{
    return a == b || ::CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

} // namespace

bool matchesname(std::wstring_view name, std::wstring_view pattern)
{
    const auto expression = steps(pattern);
    const std::size_t lastdot = name.rfind(L'.');
    // The steps reached so far, followed through those that may match nothing at `at`.
    const auto reach = [&](std::vector<char> &reached, std::size_t at) {
        for (std::size_t s = 0; s < expression.size(); ++s) {
            const auto kind = expression[s].kind;
            const bool empty = kind == Step::Star || kind == Step::DosStar
                               || (kind == Step::DosQuestion && (at == name.size() || name[at] == L'.'))
                               || (kind == Step::DosDot && at == name.size());
            if (reached[s] && empty)
                reached[s + 1] = 1;
        }
    };
    std::vector<char> reached(expression.size() + 1, 0);
    reached[0] = 1;
    reach(reached, 0);
    for (std::size_t at = 0; at < name.size(); ++at) {
        const wchar_t c = name[at];
        std::vector<char> next(reached.size(), 0);
        for (std::size_t s = 0; s < expression.size(); ++s) {
            if (!reached[s])
                continue;
            const auto &step = expression[s];
            switch (step.kind) {
            case Step::Letter: next[s + 1] |= sameletter(c, step.letter); break;
            case Step::Star: next[s] = 1; break;
            case Step::DosStar: next[s] |= at != lastdot; break; // up to the last dot
            case Step::DosQuestion: next[s + 1] |= c != L'.'; break;
            case Step::DosDot: next[s + 1] |= c == L'.'; break;
            }
        }
        reach(next, at + 1);
        reached.swap(next);
    }
    return reached.back() != 0;
}

Matches expandwildcard(Folders &folders, const std::string &pattern)
{
    const std::size_t last = lastcomponent(pattern);
    const std::string folder = asworkedon(pattern.substr(0, last));
    Matches matches{std::make_shared<const Folder>(nullptr, folder, folder), {}};
    try {
        const std::wstring wanted = win::toutf16(pattern.substr(last), win::LoneSurrogate::keep);
        for (auto &entry : listfolder(folders.hold(*matches.folder)))
            if (matchesname(formatching(entry.name), wanted))
                matches.entries.push_back(std::move(entry));
    } catch (const Error &error) {
        const auto code = static_cast<DWORD>(error.number());
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_DIRECTORY)
            throw Error(error.number(), pattern, "no file matches");
        throw Error(error.number(), pattern, "no file matches: " + win::systemmessage(code));
    }
    if (matches.entries.empty())
        throw Error(ERROR_FILE_NOT_FOUND, pattern, "no file matches");
    sortentries(matches.entries);
    return matches;
}

} // namespace quenlo::cli
