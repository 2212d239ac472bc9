#include "namelist.h"

#include "error.h"

#include <algorithm>
#include <cerrno>

namespace quenlo::cli {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

} // namespace

NameList::NameList(std::unique_ptr<ByteSource> source, std::string shown)
    : source_(std::move(source))
    , shown_(std::move(shown))
    , buffer_(kBlock)
{
}

std::optional<std::string> NameList::next()
{
    std::string name;
    while (!ended_) {
        if (at_ == end_) {
            try {
                end_ = source_->read(buffer_.data(), buffer_.size());
            } catch (const Error &error) {
                ended_ = true;
                throw Error(error.number(), shown_, "cannot read the names: " + error.reason());
            }
            at_ = 0;
            if (end_ == 0) {
                ended_ = true;
                break;
            }
        }
        const auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(at_);
        const auto stop = std::find(begin, buffer_.begin() + static_cast<std::ptrdiff_t>(end_), '\0');
        name.append(begin, stop);
        at_ = static_cast<std::size_t>(stop - buffer_.begin());
        if (at_ < end_) {
            ++at_; // the NUL
            ++count_;
            if (name.empty())
                throw Error(EINVAL, shown_ + ":" + std::to_string(count_), "invalid zero-length file name");
            return name;
        }
    }
    // The last name without its NUL.
    if (name.empty())
        return std::nullopt;
    ++count_;
    return name;
}

} // namespace quenlo::cli
