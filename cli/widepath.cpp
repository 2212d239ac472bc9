#include "widepath.h"

#include "winpath.h"
#include "wintext.h"

namespace quenlo::cli {

std::wstring widepath(const std::string &path)
{
    return win::longform(win::fullpath(toutf16(path), path));
}

} // namespace quenlo::cli
