#include "folderwalk.h"

#include <algorithm>

namespace quenlo::cli {

namespace {

constexpr std::string_view kProjectExtension = ".prj";

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool isprojectname(std::string_view name)
{
    if (name.size() < kProjectExtension.size())
        return false;
    const auto tail = name.substr(name.size() - kProjectExtension.size());
    return std::equal(tail.begin(), tail.end(), kProjectExtension.begin(),
                      [](char a, char b) { return lower(a) == b; });
}

std::string joinpath(const std::string &folder, const std::string &name)
{
#ifdef _WIN32
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':')
        return folder + name;
    return folder + '\\' + name;
#else
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
#endif
}

void walkfolder(const std::string &folder, const std::function<void(std::string)> &file,
                const std::function<void(const Error &)> &unreadable)
{
    std::vector<FolderEntry> entries;
    try {
        entries = listfolder(folder);
    } catch (const Error &error) {
        unreadable(error);
        return;
    }
    // std::string compares as unsigned bytes.
    std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    for (auto &entry : entries) {
        auto path = joinpath(folder, entry.name);
        if (entry.kind == FolderEntry::Folder) {
            walkfolder(path, file, unreadable);
        } else if (isprojectname(entry.name)) {
            if (entry.kind == FolderEntry::Link && isfolder(path))
                continue;
            file(std::move(path));
        }
    }
}

} // namespace quenlo::cli
