#include "continuation.h"

#include <exception>

namespace quenlo {

std::size_t runsteps(std::span<const Step> steps, const ErrorHandler &handler)
{
    std::size_t completed = 0;
    for (const auto &step : steps) {
        OnError next = OnError::ResumeNext;
        try {
            step();
            ++completed;
            continue;
        } catch (const ProgrammingError &) {
            throw;
        } catch (const Error &error) {
            next = handler(error);
        } catch (const std::exception &other) {
            next = handler(Error(kInternalError, {}, other.what()));
        }
        if (next == OnError::Leave)
            break;
    }
    return completed;
}

} // namespace quenlo
