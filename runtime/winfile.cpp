// Windows file services: one handle from CreateFileW on the wide path, reads
// and writes at explicit offsets, FlushFileBuffers before anything is
// reported as done. Other programs may read the file while it is open, but
// not write it.
#include "error.h"
#include "file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <limits>

namespace quenlo {

namespace {

std::wstring widen(const std::string &text)
{
    if (text.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0)
        throw Error(ERROR_NO_UNICODE_TRANSLATION, text, "cannot open: the name is not valid UTF-8");
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string narrow(const wchar_t *text, std::size_t length)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), size, nullptr, nullptr);
    return result;
}

// The system's own words for an error code, without the line break.
std::string systemmessage(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                              | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::string text = length > 0 ? narrow(buffer, length) : "Error " + std::to_string(code) + ".";
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

[[noreturn]] void fail(DWORD code, const std::string &path, const std::string &what)
{
    throw Error(static_cast<int>(code), path, what + ": " + systemmessage(code));
}

// An absolute path in the form that lifts the 260-character limit.
std::wstring longform(const std::wstring &path, const std::string &original)
{
    if (path.empty() || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        return path;
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        fail(::GetLastError(), original, "cannot open");
    std::wstring full(size, L'\0');
    const DWORD used = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (used == 0 || used >= size)
        fail(::GetLastError(), original, "cannot open");
    full.resize(used);
    if (full.rfind(L"\\\\.\\", 0) == 0 || full.rfind(L"\\\\?\\", 0) == 0)
        return full; // a device name such as NUL, or already in long form
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

OVERLAPPED at(std::uint64_t position, std::size_t done, const std::string &path)
{
    if (position < 1 || position - 1 > std::numeric_limits<std::uint64_t>::max() / 2 - done)
        throw Error(ERROR_INVALID_PARAMETER, path, "byte position " + std::to_string(position) + " is out of range");
    const std::uint64_t offset = position - 1 + done;
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

DWORD chunk(std::size_t remaining)
{
    return static_cast<DWORD>(std::min<std::size_t>(remaining, std::numeric_limits<DWORD>::max()));
}

class WindowsFile final : public File {
public:
    WindowsFile(HANDLE handle, std::string path)
        : handle_(handle)
        , path_(std::move(path))
    {
    }
    WindowsFile(const WindowsFile &) = delete;
    WindowsFile &operator=(const WindowsFile &) = delete;
    ~WindowsFile() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }

    std::size_t read(std::uint64_t position, std::span<char> buffer) override
    {
        std::size_t done = 0;
        while (done < buffer.size()) {
            auto overlapped = at(position, done, path_);
            DWORD got = 0;
            if (!::ReadFile(handle(), buffer.data() + done, chunk(buffer.size() - done), &got, &overlapped)) {
                const DWORD code = ::GetLastError();
                if (code == ERROR_HANDLE_EOF)
                    break;
                fail(code, path_, "cannot read");
            }
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }

    void write(std::uint64_t position, std::span<const char> bytes) override
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            auto overlapped = at(position, done, path_);
            DWORD put = 0;
            if (!::WriteFile(handle(), bytes.data() + done, chunk(bytes.size() - done), &put, &overlapped))
                fail(::GetLastError(), path_, "cannot write");
            if (put == 0)
                fail(ERROR_WRITE_FAULT, path_, "cannot write");
            done += put;
        }
    }

    void flush() override
    {
        if (!::FlushFileBuffers(handle()))
            fail(::GetLastError(), path_, "cannot flush to disk");
    }

    void close() override
    {
        const HANDLE handle = this->handle();
        handle_ = INVALID_HANDLE_VALUE;
        if (!::CloseHandle(handle))
            fail(::GetLastError(), path_, "cannot close");
    }

private:
    HANDLE handle() const
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            throw Error(ERROR_INVALID_HANDLE, path_, "the file is already closed");
        return handle_;
    }

    HANDLE handle_;
    std::string path_;
};

// An open refused for a reason we can put plainly; the system's own words
// follow in brackets.
[[noreturn]] void refuseopen(DWORD code, const std::string &path, const std::string &plainly)
{
    throw Error(static_cast<int>(code), path,
                "cannot open for reading and writing: " + plainly + " (" + systemmessage(code) + ")");
}

[[noreturn]] void notplain(const std::string &path, const std::string &kind)
{
    throw Error(ERROR_BAD_FILE_TYPE, path, "cannot open: not a regular file (" + kind + ")");
}

} // namespace

std::unique_ptr<File> openforupdate(const std::string &path)
{
    const std::wstring wide = longform(widen(path), path);
    if (wide.empty())
        fail(ERROR_FILE_NOT_FOUND, path, "cannot open");

    // Look before opening, so that a folder is named as such rather than
    // being refused as "access denied".
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        notplain(path, "a folder");

    // OPEN_EXISTING: a missing file is an error, never created.
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        const bool readonly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
        if (code == ERROR_ACCESS_DENIED && readonly)
            refuseopen(code, path, "the file is read-only");
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
            refuseopen(code, path, "the file is being used by another process");
        fail(code, path, "cannot open for reading and writing");
    }
    auto file = std::make_unique<WindowsFile>(handle, path);
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        notplain(path, "a device or pipe");
    return file;
}

} // namespace quenlo
