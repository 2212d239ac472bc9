#include "start.h"

#include "error.h"
#include "report.h"
#include "win32form.h"
#include "win32messageboxes.h"

#include <commctrl.h>

namespace quenlo {

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
