#pragma once

#include "messagebox.h"

#include "win32api.h"

namespace quenlo {

// MessageBoxW owned by `owner`, so modal to it: OK only, no icon for a
// message, the error icon for a failure.
class Win32MessageBoxes final : public MessageService {
public:
    explicit Win32MessageBoxes(HWND owner)
        : owner_(owner)
    {
    }
    void show(std::string_view text, std::string_view title) override;
    void showerror(std::string_view text, std::string_view title) override;

private:
    HWND owner_;
};

} // namespace quenlo
