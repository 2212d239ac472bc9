#include "report.h"

namespace quenlo {

namespace {

bool startsacharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

bool breaksafter(char byte)
{
    return byte == '/' || byte == '\\' || byte == ' ';
}

// Appends one line of `text` to `out`, broken into pieces of at most
// `width` characters.
void wrapline(std::string_view line, std::size_t width, std::string &out)
{
    while (true) {
        std::size_t characters = 0;
        std::size_t end = 0;        // bytes that fit in `width` characters
        std::size_t lastbreak = 0; // bytes up to the last break within them
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (startsacharacter(line[i])) {
                if (characters == width)
                    break;
                ++characters;
            }
            end = i + 1;
            if (breaksafter(line[i]))
                lastbreak = end;
        }
        if (end == line.size()) {
            out.append(line);
            return;
        }
        // A space just past the width ends the line unseen.
        if (line[end] == ' ')
            lastbreak = end + 1;
        const auto cut = lastbreak > 0 ? lastbreak : end;
        out.append(line.substr(0, cut));
        out.push_back('\n');
        line.remove_prefix(cut);
    }
}

} // namespace

std::string errortext(const Error &error, std::string_view lead)
{
    std::string text = lead.empty() ? std::string() : std::string(lead) + "\n\n";
    return text + error.what() + "\n\n(error " + std::to_string(error.number()) + ")";
}

std::string wraplines(std::string_view text, std::size_t width)
{
    std::string out;
    if (width == 0)
        return std::string(text);
    for (std::size_t start = 0;;) {
        const auto end = text.find('\n', start);
        wrapline(text.substr(start, end - start), width, out);
        if (end == std::string_view::npos)
            return out;
        out.push_back('\n');
        start = end + 1;
    }
}

void reporterror(const Error &error, MessageService &messages, std::string_view title, std::string_view lead)
{
    messages.showerror(wraplines(errortext(error, lead), kReportLineWidth), title);
}

bool reportuntrapped(const std::function<void()> &call, MessageService &messages, std::string_view title)
{
    try {
        call();
        return true;
    } catch (const Error &error) {
        reporterror(error, messages, title);
    } catch (const std::exception &other) {
        reporterror(Error(kInternalError, {}, other.what()), messages, title);
    } catch (...) {
        reporterror(Error(kInternalError, {}, "an unknown failure"), messages, title);
    }
    return false;
}

} // namespace quenlo
