#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace quenlo {

// The number an error carries when the user cancels the Open dialog.
inline constexpr int kCancelError = 32755;

// The number for a failure that did not come from the operating system
// (an exception thrown by a library, for instance).
inline constexpr int kInternalError = 51;

// A failure that carries a number and says what it is about.
// For file failures the number is the operating system's own code (errno on
// POSIX, GetLastError() on Windows), the subject is the file's path and the
// reason is what went wrong, in words ("cannot open: Permission denied").
class Error : public std::runtime_error {
public:
    Error(int number, std::string subject, std::string reason);

    int number() const noexcept { return number_; }
    const std::string &subject() const noexcept { return subject_; }
    const std::string &reason() const noexcept { return reason_; }

private:
    int number_;
    std::string subject_;
    std::string reason_;
};

// A fault of the program itself, never of what it was given or met: a
// window's code asking for a control its window does not have, for one. No
// error handler passes over it; it goes on to the report of untrapped
// errors.
class ProgrammingError : public Error {
public:
    ProgrammingError(std::string subject, std::string reason)
        : Error(kInternalError, std::move(subject), std::move(reason))
    {
    }
};

} // namespace quenlo
