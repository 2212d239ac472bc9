#pragma once

#include "error.h"
#include "messagebox.h"

#include <string>

namespace quenlo {

// The text that tells the user about an error nothing else handled: `lead`
// (what could not be done), then what failed and why, and its number.
std::string errortext(const Error &error, std::string_view lead = {});

// Shows errortext(error, lead) under `title` and waits until it is dismissed.
void reporterror(const Error &error, MessageService &messages, std::string_view title, std::string_view lead = {});

} // namespace quenlo
