#include "report.h"

namespace quenlo {

std::string errortext(const Error &error, std::string_view lead)
{
    std::string text = lead.empty() ? std::string() : std::string(lead) + "\n\n";
    return text + error.what() + "\n\n(error " + std::to_string(error.number()) + ")";
}

void reporterror(const Error &error, MessageService &messages, std::string_view title, std::string_view lead)
{
    messages.showerror(errortext(error, lead), title);
}

} // namespace quenlo
