#pragma once

#include "controls.h"
#include "form.h"
#include "standardstreams.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quenlo {

// Makes a window's code once its controls exist.
using FormCodeFactory = std::function<std::unique_ptr<FormCode>(const FormContext &)>;

// The program's start, given by the toolkit in use; none of it needs a
// screen but runwindow().

// The command line's arguments after the program's name: the system's own
// bytes on Linux, UTF-8 on Windows (from the UTF-16 command line, which can
// hold every file name).
std::vector<std::string> programarguments(int argc, char **argv);

// Tells the user `text` without a window: on standard output, or on
// standard error for a `failure`; on Windows, where the program was started
// without that stream (`missing`, as from the desktop), in a message box
// titled `title`. Whether it was told.
bool tell(std::string_view text, bool failure, const MissingStreams &missing, std::string_view title);

// Builds the window from `description`, gives it the code that `makecode`
// returns, shows it (then calls the code's shown()) and dispatches its
// events until it is closed. Returns the program's exit status. The toolkit
// takes no options of its own from `argv`: each argument was the program's.
int runwindow(int argc, char **argv, const FormDescription &description, const FormCodeFactory &makecode);

} // namespace quenlo
