#include "fullpath.h"

#include <cerrno>
#include <string_view>

#include <unistd.h>

namespace quenlo {

std::string fullpath(const std::string &name)
{
    if (name.empty() || name.front() == '/')
        return name;
    std::string folder;
    for (std::size_t size = 256; folder.empty(); size *= 2) {
        std::string buffer(size, '\0');
        if (::getcwd(buffer.data(), buffer.size()))
            folder = buffer.c_str();
        else if (errno != ERANGE || size > (1u << 20))
            return name;
    }
    // Leading "./" parts name the folder itself; ".." is kept, since a link
    // to a folder may lead elsewhere than the name's parent.
    std::string_view rest = name;
    while (rest.starts_with("./") || rest.starts_with("/"))
        rest.remove_prefix(rest.front() == '/' ? 1 : 2);
    if (rest.empty() || rest == ".")
        return name;
    return folder + (folder.back() == '/' ? "" : "/") + std::string(rest);
}

} // namespace quenlo
