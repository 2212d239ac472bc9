#pragma once

#include "error.h"
#include "messagebox.h"

#include <cstddef>
#include <functional>
#include <string>

namespace quenlo {

// How many characters a line of an error box holds before it is wrapped.
inline constexpr std::size_t kReportLineWidth = 64;

// The text that tells the user about an error nothing else handled: `lead`
// (what could not be done), then what failed and why, and its number.
std::string errortext(const Error &error, std::string_view lead = {});

// `text` with each line longer than `width` characters (UTF-8) broken: after
// the last path separator or space that keeps the line within `width`, or
// at `width` itself when the line has none, as a long folder name may.
std::string wraplines(std::string_view text, std::size_t width);

// Shows errortext(error, lead), wrapped at kReportLineWidth, under `title`
// and waits until it is dismissed.
void reporterror(const Error &error, MessageService &messages, std::string_view title, std::string_view lead = {});

// Runs `call`, the window's code answering an event; nothing it throws may
// go on through the toolkit's code. An error it leaves untrapped is shown
// under `title`, and the answer is false: the run-time then closes the
// window, which ends the program.
bool reportuntrapped(const std::function<void()> &call, MessageService &messages, std::string_view title);

} // namespace quenlo
