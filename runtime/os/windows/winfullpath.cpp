#include "fullpath.h"

#include "error.h"
#include "utf16.h"

#include <windows.h>

namespace quenlo {

std::string fullpath(const std::string &name)
{
    if (name.empty())
        return name;
    try {
        // As Windows takes a typed name: from the current folder or the
        // current folder of its drive, "." and ".." resolved, a trailing dot
        // or space dropped; a "\\?\" name as it stands.
        const std::wstring wide = win::toutf16(name, win::LoneSurrogate::keep);
        std::wstring full(MAX_PATH, L'\0');
        for (;;) {
            const DWORD needed = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
            if (needed == 0)
                return name;
            if (needed < full.size()) {
                full.resize(needed);
                return win::toutf8(full, win::LoneSurrogate::keep);
            }
            full.resize(needed);
        }
    } catch (const Error &) {
        return name;
    }
}

} // namespace quenlo
