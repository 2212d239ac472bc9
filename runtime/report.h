#pragma once

#include "error.h"
#include "messagebox.h"

#include <string>

namespace quenlo {

// The text that tells the user about an error nothing else handled: what
// failed, why, and its number.
std::string errortext(const Error &error);

// Shows errortext(error) under `title` and waits until it is dismissed.
void reporterror(const Error &error, MessageService &messages, std::string_view title);

} // namespace quenlo
