#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quenlo::cli {

// Bytes read from a file or standard input, as the system reads them.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `buffer`; 0 at the end. Throws quenlo::Error
    // with the bare reason when the read fails.
    virtual std::size_t read(char *buffer, std::size_t size) = 0;
};

// `name` opened for reading, "-" being standard input (taken as bytes, never
// as text). Throws quenlo::Error naming it when it cannot be opened.
std::unique_ptr<ByteSource> openbytes(const std::string &name);

// The names of --files0-from, each ended by a NUL byte (the last one may
// lack it), read a block at a time as they are asked for, so that a list of
// any length takes no more memory than its longest name.
class NameList {
public:
    // `shown`: the list's name in messages.
    NameList(std::unique_ptr<ByteSource> source, std::string shown);

    // The next name; nothing once the list has ended. A zero-length name
    // throws quenlo::Error naming its place ("-:3"), as GNU du does, and
    // the next call goes on after it; a read that fails throws, and ends
    // the list.
    std::optional<std::string> next();

private:
    std::unique_ptr<ByteSource> source_;
    std::string shown_;
    std::vector<char> buffer_;
    std::size_t at_ = 0, end_ = 0;
    std::size_t count_ = 0; // the names read so far
    bool ended_ = false;
};

} // namespace quenlo::cli
