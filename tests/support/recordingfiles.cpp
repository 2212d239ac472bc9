#include "recordingfiles.h"

#include "error.h"

#include <algorithm>

namespace quenlo::test {

namespace {

class RecordingFile final : public File {
public:
    RecordingFile(std::unique_ptr<File> real, RecordingFiles &owner, std::string path)
        : real_(std::move(real))
        , owner_(owner)
        , path_(std::move(path))
    {
    }

    std::size_t read(std::uint64_t position, std::span<char> buffer) override
    {
        note("read");
        return real_->read(position, buffer);
    }

    void write(std::uint64_t position, std::span<const char> bytes) override
    {
        if (failing("write")) {
            owner_.events.push_back("write");
            const auto part = std::min(owner_.fault->partialwrite, bytes.size());
            if (part > 0)
                real_->write(position, bytes.first(part));
            throw Error(owner_.fault->number, path_, "cannot write: injected fault");
        }
        note("write");
        real_->write(position, bytes);
    }

    void flush() override
    {
        note("flush");
        real_->flush();
    }

    void close() override
    {
        note("close");
        real_->close();
    }

    bool holdforwrite() override
    {
        note("hold");
        return real_->holdforwrite();
    }
    void letgo(bool flushed) override
    {
        owner_.events.push_back("let go");
        real_->letgo(flushed);
    }
    std::optional<std::uint64_t> size() const override { return real_->size(); }

    std::optional<Error> updateblocked() const override { return real_->updateblocked(); }

    bool lockforreading() override
    {
        note("lock for reading");
        return real_->lockforreading();
    }

    std::unique_ptr<File> reopenforupdate() override
    {
        note("reopen for update");
        return std::make_unique<RecordingFile>(real_->reopenforupdate(), owner_, path_);
    }

private:
    bool failing(const std::string &call)
    {
        auto &fault = owner_.fault;
        if (!fault || fault->call != call || (fault->fired && !fault->persistent))
            return false;
        if (fault->after > 0) {
            --fault->after;
            return false;
        }
        fault->fired = true;
        return true;
    }

    void note(const std::string &call)
    {
        owner_.events.push_back(call);
        if (failing(call))
            throw Error(owner_.fault->number, path_, "cannot " + call + ": injected fault");
    }

    std::unique_ptr<File> real_;
    RecordingFiles &owner_;
    std::string path_;
};

} // namespace

std::unique_ptr<File> RecordingFiles::open(const std::string &path)
{
    events.push_back("open");
    return std::make_unique<RecordingFile>(openforupdate(path), *this, path);
}

std::unique_ptr<File> RecordingFiles::openforreading(const std::string &path)
{
    events.push_back("open for reading");
    return std::make_unique<RecordingFile>(quenlo::openforreading(path), *this, path);
}

std::unique_ptr<File> RecordingFiles::openforlook(const std::string &path)
{
    events.push_back("open for look");
    return std::make_unique<RecordingFile>(quenlo::openforlook(path), *this, path);
}

void RecordingMessages::show(std::string_view text, std::string_view title)
{
    if (events_)
        events_->push_back("show");
    shown.push_back({std::string(text), std::string(title)});
}

void RecordingMessages::showerror(std::string_view text, std::string_view title)
{
    if (events_)
        events_->push_back("showerror");
    shown.push_back({std::string(text), std::string(title), true});
}

} // namespace quenlo::test
