#pragma once

#include "file.h"
#include "messagebox.h"

#include <optional>
#include <string>
#include <vector>

namespace quenlo::test {

// A file service over the system's own that writes down each call in
// `events` ("open", "read", "write", "flush", "close", "reopen for update",
// "hold", "let go", and "show" from the
// message recorder sharing the log) and can make one kind of call fail.
// A failing write first writes `partialwrite` bytes for real, as a write
// cut short by the device would.
class RecordingFiles final : public FileService {
public:
    struct Fault {
        std::string call; // "read", "write", "flush" or "close"
        int number = 5;   // the error number to throw
        std::size_t partialwrite = 0;
        int after = 0;          // how many calls of that kind succeed first
        bool persistent = true; // false: fails once, then works again
        bool fired = false;
    };

    std::unique_ptr<File> open(const std::string &path) override;
    std::unique_ptr<File> openforreading(const std::string &path) override; // logged as "open for reading"
    std::unique_ptr<File> openforlook(const std::string &path) override;    // logged as "open for look"

    std::vector<std::string> events;
    std::optional<Fault> fault;
};

// Records each message it is asked to show.
class RecordingMessages final : public MessageService {
public:
    explicit RecordingMessages(std::vector<std::string> *events = nullptr)
        : events_(events)
    {
    }
    void show(std::string_view text, std::string_view title) override;
    void showerror(std::string_view text, std::string_view title) override;

    struct Shown {
        std::string text;
        std::string title;
        bool error = false;
    };
    std::vector<Shown> shown;

private:
    std::vector<std::string> *events_;
};

} // namespace quenlo::test
