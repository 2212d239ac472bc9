#pragma once

#include <ostream>
#include <string>

namespace quenlo::cli {

// Why writing to `stream` failed, in words ("No space left on device"),
// where the stream knows; empty otherwise. On POSIX systems the streams onto
// a descriptor know (fdoutput.h); on Windows none does (winconsole.cpp).
std::string writefailure(const std::ostream &stream);

} // namespace quenlo::cli
