#include "winconsole.h"

#include "utf16.h"
#include "writefailure.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace quenlo::cli {

namespace {

// How many bytes at the start of `text` end on a character boundary: a
// sequence cut off at the end is left for the next flush.
std::size_t wholecharacters(std::string_view text)
{
    std::size_t back = 0;
    while (back < text.size() && back < 3 && (static_cast<unsigned char>(text[text.size() - 1 - back]) & 0xC0) == 0x80)
        ++back;
    if (back == text.size())
        return text.size();
    const auto lead = static_cast<unsigned char>(text[text.size() - 1 - back]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length > back + 1 ? text.size() - 1 - back : text.size();
}

// How much text one WriteConsoleW is given at most.
constexpr std::size_t kConsolePiece = 8192;

bool writeconsole(HANDLE console, std::wstring_view text)
{
    return writeinpieces(text, kConsolePiece, [console](std::wstring_view piece) -> std::size_t {
        DWORD written = 0;
        if (!::WriteConsoleW(console, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr))
            return 0;
        return written;
    });
}

} // namespace

bool writeinpieces(std::wstring_view text, std::size_t most, const std::function<std::size_t(std::wstring_view)> &write)
{
    while (!text.empty()) {
        std::size_t count = std::min(text.size(), most);
        // A surrogate pair stays whole: the piece ends before its first half.
        if (count < text.size() && count > 1 && IS_HIGH_SURROGATE(text[count - 1]))
            --count;
        const std::size_t written = write(text.substr(0, count));
        if (written == 0 || written > count)
            return false;
        text.remove_prefix(written);
    }
    return true;
}

WideConsoleBuffer::WideConsoleBuffer(Writer write)
    : write_(std::move(write))
{
}

WideConsoleBuffer::~WideConsoleBuffer() { sync(); }

WideConsoleBuffer::int_type WideConsoleBuffer::overflow(int_type c)
{
    if (!traits_type::eq_int_type(c, traits_type::eof()))
        pending_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

std::streamsize WideConsoleBuffer::xsputn(const char *text, std::streamsize count)
{
    pending_.append(text, static_cast<std::size_t>(count));
    return count;
}

int WideConsoleBuffer::sync()
{
    const std::size_t whole = wholecharacters(pending_);
    const bool written = write_(win::toutf16lossy(std::string_view(pending_).substr(0, whole)));
    pending_.erase(0, whole);
    return written ? 0 : -1;
}

std::unique_ptr<std::ostream> consolestream(unsigned long handle)
{
    const HANDLE console = ::GetStdHandle(handle);
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || console == nullptr || !::GetConsoleMode(console, &mode))
        return nullptr;

    // The stream owns its buffer.
    class ConsoleStream final : public std::ostream {
    public:
        explicit ConsoleStream(HANDLE console)
            : std::ostream(nullptr)
            , buffer_([console](std::wstring_view text) { return writeconsole(console, text); })
        {
            rdbuf(&buffer_);
        }
        ~ConsoleStream() override { flush(); }

    private:
        WideConsoleBuffer buffer_;
    };
    return std::make_unique<ConsoleStream>(console);
}

// Neither the console's streams nor std::cout onto a file or pipe keep the
// reason a write failed.
std::string writefailure(const std::ostream &)
{
    return {};
}

} // namespace quenlo::cli
