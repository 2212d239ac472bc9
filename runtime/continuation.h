#pragma once

#include "error.h"

#include <functional>
#include <span>

namespace quenlo {

// What an error handler wants done after a step has failed.
enum class OnError {
    Leave,      // leave the flow: no later step runs
    ResumeNext, // go on with the step after the failing one
};

using Step = std::function<void()>;
using ErrorHandler = std::function<OnError(const Error &)>;

// Runs `steps` in order with `handler` armed for the whole flow. A step that
// throws hands its error to the handler, which leaves the flow or resumes at
// the next step and stays armed for the rest. An exception that is not a
// quenlo::Error reaches the handler as an Error numbered kInternalError. A
// ProgrammingError is no failure of a step but of the program: the handler
// never sees it, and it leaves the flow as it came.
// Returns how many steps ran to their end.
std::size_t runsteps(std::span<const Step> steps, const ErrorHandler &handler);

} // namespace quenlo
