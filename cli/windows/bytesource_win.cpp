// The list of names of --files0-from, read with ReadFile: a file by its
// wide path, or standard input as bytes (a console's, a pipe's or a file's).
#include "error.h"
#include "namelist.h"
#include "widepath.h"
#include "winfailure.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

namespace quenlo::cli {

namespace {

class HandleBytes final : public ByteSource {
public:
    HandleBytes(HANDLE handle, bool owned)
        : handle_(handle)
        , owned_(owned)
    {
    }
    ~HandleBytes() override
    {
        if (owned_)
            ::CloseHandle(handle_);
    }
    HandleBytes(const HandleBytes &) = delete;
    HandleBytes &operator=(const HandleBytes &) = delete;

    std::size_t read(char *buffer, std::size_t size) override
    {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30));
        if (!::ReadFile(handle_, buffer, wanted, &got, nullptr)) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF)
                return 0; // the writer has closed its end
            throw Error(static_cast<int>(code), {}, win::systemmessage(code));
        }
        return got;
    }

private:
    HANDLE handle_;
    bool owned_;
};

} // namespace

std::unique_ptr<ByteSource> openbytes(const std::string &name)
{
    if (name == "-")
        return std::make_unique<HandleBytes>(::GetStdHandle(STD_INPUT_HANDLE), false);
    const auto fail = [&](DWORD code) -> std::unique_ptr<ByteSource> {
        throw Error(static_cast<int>(code), name, "cannot open the list of names: " + win::systemmessage(code));
    };
    std::wstring path;
    try {
        path = widepath(name);
    } catch (const Error &error) {
        return fail(static_cast<DWORD>(error.number()));
    }
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fail(::GetLastError());
    return std::make_unique<HandleBytes>(handle, true);
}

} // namespace quenlo::cli
