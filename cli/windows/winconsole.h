#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace quenlo::cli {

// Takes UTF-8 text and, at each flush, hands it on as UTF-16 to `write`
// (WriteConsoleW for a console). Bytes of a character cut by the flush wait
// for the rest. A failed write fails the stream.
class WideConsoleBuffer final : public std::streambuf {
public:
    using Writer = std::function<bool(std::wstring_view)>;
    explicit WideConsoleBuffer(Writer write);
    ~WideConsoleBuffer() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char *text, std::streamsize count) override;
    int sync() override;

private:
    Writer write_;
    std::string pending_;
};

// Hands `text` on to `write` in pieces of at most `most` UTF-16 units, each
// ending between whole characters (never inside a surrogate pair); `write`
// says how many units it took, 0 when it failed. Whether all were taken.
bool writeinpieces(std::wstring_view text, std::size_t most, const std::function<std::size_t(std::wstring_view)> &write);

// A stream onto the console behind `handle` (STD_OUTPUT_HANDLE or
// STD_ERROR_HANDLE) written with WriteConsoleW, which leaves the console's
// code page alone; null when that handle is not a console (a file or a
// pipe), which then takes UTF-8 bytes.
std::unique_ptr<std::ostream> consolestream(unsigned long handle);

} // namespace quenlo::cli
