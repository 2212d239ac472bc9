#pragma once

#include "controls.h"
#include "form.h"

#include <functional>
#include <memory>

namespace quenlo {

// Makes a window's code once its controls exist.
using FormCodeFactory = std::function<std::unique_ptr<FormCode>(const FormContext &)>;

// The program's start, given by the toolkit in use: builds the window from
// `description`, gives it the code that `makecode` returns, shows it and
// dispatches its events until it is closed. Returns the program's exit
// status.
int runwindow(int argc, char **argv, const FormDescription &description, const FormCodeFactory &makecode);

} // namespace quenlo
