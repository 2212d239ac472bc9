#include "widepath.h"

#include "error.h"
#include "utf16.h"
#include "winpath.h"

#include <algorithm>
#include <string_view>

namespace quenlo::cli {

std::wstring widepath(const std::string &path)
{
    return win::longform(win::fullpath(win::toutf16(path, win::LoneSurrogate::keep), path));
}

std::string asworkedon(const std::string &typed)
{
    if (typed.starts_with("\\\\?\\"))
        return typed;
    bool renamed = false;
    std::size_t start = 0;
    while (start <= typed.size() && !renamed) {
        const std::size_t end = std::min(typed.find_first_of("\\/", start), typed.size());
        const std::string_view component = std::string_view(typed).substr(start, end - start);
        renamed = component != "." && component != ".." && (component.ends_with('.') || component.ends_with(' '));
        start = end + 1;
    }
    if (!renamed)
        return typed;
    try {
        const std::wstring full = win::fullpath(win::toutf16(typed, win::LoneSurrogate::keep), typed);
        return win::toutf8(full, win::LoneSurrogate::keep);
    } catch (const Error &) {
        return typed; // refused by name when opened
    }
}

} // namespace quenlo::cli
