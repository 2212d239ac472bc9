#include "report.h"

namespace quenlo {

std::string errortext(const Error &error)
{
    return std::string(error.what()) + "\n\n(error " + std::to_string(error.number()) + ")";
}

void reporterror(const Error &error, MessageService &messages, std::string_view title)
{
    messages.showerror(errortext(error), title);
}

} // namespace quenlo
