#pragma once

#include <string_view>

namespace quenlo {

// Tells the user something and waits until it has been taken in: a modal box
// with the text, the title and one OK button in the window, a line of output
// on the command line. Tests put a recorder in its place.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void show(std::string_view text, std::string_view title) = 0;

    // The same for a failure; a window shows it with an error icon.
    virtual void showerror(std::string_view text, std::string_view title) { show(text, title); }
};

} // namespace quenlo
