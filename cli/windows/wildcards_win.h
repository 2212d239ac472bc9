#pragma once

#include "folderwalk.h"
#include "wildcards.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quenlo::cli {

// What a pattern matched: the folder of its folder part (named as typed)
// and the entries there whose long name matches its last component.
struct Matches {
    std::shared_ptr<const Folder> folder;
    std::vector<FolderEntry> entries; // in the order dir shows them (sortentries)
};

// The entries that `pattern` matches, the way Windows programs expand it,
// but by long name only: a file whose 8.3 short name alone matches (the
// backup Site.PRJOLD, short SITE~2Y5.PRJ, for *.PRJ) is left out. The
// folder is listed through `folders`. Throws quenlo::Error naming the
// pattern when nothing matches.
Matches expandwildcard(Folders &folders, const std::string &pattern);

// Whether the long name `name` matches `pattern` as the file system matches
// it (FindFirstFile's rules: "*.*" is every name, "*." a name without a dot,
// '?' also matches nothing before a dot or at the end), comparing letters
// as Windows compares names, without regard to case.
bool matchesname(std::wstring_view name, std::wstring_view pattern);

} // namespace quenlo::cli
