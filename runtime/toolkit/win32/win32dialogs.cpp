#include "win32dialogs.h"

#include "error.h"
#include "utf16.h"

#include <cstdio>

namespace quenlo {

std::wstring win32filter(const std::vector<FileFilter> &filters)
{
    std::wstring result;
    for (const auto &filter : filters) {
        result += win::toutf16(filter.description, win::LoneSurrogate::refuse, "the dialog's filter");
        result += L'\0';
        for (std::size_t i = 0; i < filter.patterns.size(); ++i) {
            if (i > 0)
                result += L';';
            result += win::toutf16(filter.patterns[i], win::LoneSurrogate::refuse, "the dialog's filter");
        }
        result += L'\0';
    }
    result += L'\0';
    return result;
}

namespace {

std::string hex(DWORD code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04lX", static_cast<unsigned long>(code));
    return text;
}

} // namespace

std::optional<std::string> Win32FileDialogs::getopenfilename(const OpenRequest &request)
{
    const std::wstring title = win::toutf16(request.title, win::LoneSurrogate::refuse, "the dialog's title");
    const std::wstring filter = win32filter(request.filters);
    std::wstring name(kFileNameCapacity, L'\0');
    const std::wstring start = win::toutf16(request.fileName, win::LoneSurrogate::refuse, "the dialog's file name");
    if (start.size() < name.size())
        start.copy(name.data(), start.size());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = kFileNameCapacity;
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.Flags = kOpenFlags;

    if (!calls_.show(&dialog)) {
        const DWORD code = calls_.lasterror();
        if (code == 0)
            return std::nullopt; // the user cancelled
        throw Error(static_cast<int>(code), {}, "the Open dialog could not be shown (error " + hex(code) + ")");
    }
    name.resize(name.find(L'\0'));
    return win::toutf8(name, win::LoneSurrogate::refuse, "the chosen file name");
}

} // namespace quenlo
