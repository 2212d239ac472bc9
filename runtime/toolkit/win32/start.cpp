#include "start.h"

#include "error.h"
#include "report.h"
#include "utf16.h"
#include "win32form.h"
#include "win32messageboxes.h"

#include <commctrl.h>
#include <shellapi.h>

namespace quenlo {

std::vector<std::string> programarguments(int, char **)
{
    // Exact: a name that UTF-8 cannot carry stays one that the file services
    // refuse, never another file's name.
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; wide && i < count; ++i)
        result.push_back(win::toutf8(wide[i], win::LoneSurrogate::keep));
    ::LocalFree(wide);
    return result;
}

bool tell(std::string_view text, bool failure, const MissingStreams &missing, std::string_view title)
{
    // A program of the GUI subsystem has standard streams only where they
    // were handed to it (redirected, or under Wine from a terminal); started
    // from Explorer or a shortcut it has none.
    if (failure ? missing.err : missing.out) {
        ::MessageBoxW(nullptr, win::toutf16lossy(text).c_str(), win::toutf16lossy(title).c_str(),
                      MB_OK | (failure ? MB_ICONERROR : MB_ICONINFORMATION));
        return true;
    }
    const HANDLE stream = ::GetStdHandle(failure ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(stream, &mode)) {
        const std::wstring wide = win::toutf16lossy(text);
        return ::WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)
               && written == wide.size();
    }
    return ::WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

int runwindow(int, char **, const FormDescription &description, const FormCodeFactory &makecode)
{
    const INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);
    try {
        Win32Form window(description);
        const auto code = makecode(window.context());
        window.attach(*code);
        return window.run(SW_SHOWDEFAULT);
    } catch (const Error &error) {
        Win32MessageBoxes boxes(nullptr);
        reporterror(error, boxes, "Quenlo", "The window could not be shown.");
    } catch (const std::exception &other) {
        Win32MessageBoxes boxes(nullptr);
        reporterror(Error(kInternalError, {}, other.what()), boxes, "Quenlo", "The window could not be shown.");
    }
    return 1;
}

} // namespace quenlo
