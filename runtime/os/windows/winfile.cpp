// Windows file services. The path is judged by its name first (device names
// and pipes are refused before anything is opened), then opened with no data
// access to make sure it is a plain file on a disk, and only then reopened
// from that handle for reading (and writing, for the fix). Reads and writes
// go to explicit offsets; FlushFileBuffers before anything is reported as
// done. While the fix runs, other programs may read the file but not write
// it; a look lets them do both. A dry run asks for the fix's open the very
// way the fix will, and closes it again at once.
#include "error.h"
#include "file.h"
#include "utf16.h"
#include "winaccess.h"
#include "winfailure.h"
#include "winfile.h"
#include "winpath.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <utility>
#include <cstdio>
#include <limits>

namespace quenlo {

namespace {

using win::fail;

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

// A handle closed when it goes away.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : handle_(handle)
    {
    }
    Handle(Handle &&other) noexcept
        : handle_(other.release())
    {
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle &operator=(Handle &&) = delete;
    ~Handle()
    {
        if (valid())
            ::CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;
};

std::optional<Error> whynotwritable(HANDLE handle, const std::wstring &wide, const std::string &path);
HANDLE openforupdatefrom(HANDLE source, const std::wstring &wide, const std::string &path);

class WindowsFile final : public File {
public:
    WindowsFile(HANDLE handle, std::string path, std::wstring wide)
        : handle_(handle)
        , path_(std::move(path))
        , wide_(std::move(wide))
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

    std::optional<Error> updateblocked() const override { return whynotwritable(handle(), wide_, path_); }

    std::unique_ptr<File> reopenforupdate() override
    {
        auto file = std::make_unique<WindowsFile>(openforupdatefrom(handle(), wide_, path_), path_, wide_);
        ::CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
        return file;
    }

    HANDLE handle() const
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            throw Error(ERROR_INVALID_HANDLE, path_, "the file is already closed");
        return handle_;
    }

private:
    HANDLE handle_;
    std::string path_;
    std::wstring wide_; // the long form of path_, to open it again where ReOpenFile is not to be had
};

[[noreturn]] void notplain(DWORD code, const std::string &path, const std::string &kind)
{
    throw Error(static_cast<int>(code), path, "cannot open: not a regular file (" + kind + ")");
}

// Reparse points that still hold the file's own data once opened: files
// deduplicated, compressed by the system (WOF) or kept in step by a cloud
// provider. Links are followed when opening and never seen here.
bool holdsitsowndata(DWORD tag)
{
    return tag == IO_REPARSE_TAG_DEDUP || tag == IO_REPARSE_TAG_WOF || (tag & 0xFFFF0FFF) == IO_REPARSE_TAG_CLOUD;
}

// Makes sure the handle, opened with no data access, is a plain file on a
// disk: no folder, device, pipe or volume, no reparse point of a kind that
// is not known to be one.
void refuseunlessplainfile(HANDLE handle, const std::string &path)
{
    const DWORD type = ::GetFileType(handle);
    if (type != FILE_TYPE_DISK)
        notplain(ERROR_BAD_FILE_TYPE, path, type == FILE_TYPE_PIPE ? "a pipe" : "a device");
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info))
        fail(::GetLastError(), path, "cannot open");
    if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        notplain(ERROR_BAD_FILE_TYPE, path, "a folder");
    if (info.FileAttributes & FILE_ATTRIBUTE_DEVICE)
        notplain(ERROR_BAD_FILE_TYPE, path, "a device");
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !holdsitsowndata(info.ReparseTag)) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "0x%08lX", static_cast<unsigned long>(info.ReparseTag));
        notplain(ERROR_BAD_FILE_TYPE, path, std::string("a reparse point of kind ") + tag);
    }
}

// The file behind a path, opened with no data access: no device woken, no
// pipe instance taken, no share mode of anyone's disturbed.
Handle lookat(const std::string &path, const std::wstring &wide, const char *what)
{
    // A folder is named as such rather than refused as "access denied".
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        notplain(ERROR_BAD_FILE_TYPE, path, "a folder");
    // OPEN_EXISTING: a missing file is an error, never created.
    Handle looked(::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    if (!looked.valid())
        fail(::GetLastError(), path, what);
    refuseunlessplainfile(looked.get(), path);
    return looked;
}

bool sameFile(HANDLE one, HANDLE other)
{
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return ::GetFileInformationByHandle(one, &a) && ::GetFileInformationByHandle(other, &b)
           && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
           && a.nFileIndexLow == b.nFileIndexLow;
}

// Opens the file looked at for data. Where ReOpenFile is not to be had, the
// path is opened again and must lead to the same file.
HANDLE reopen(HANDLE looked, const std::wstring &wide, DWORD access, DWORD share, const std::string &path)
{
    HANDLE handle = ::ReOpenFile(looked, access, share, 0);
    if (handle != INVALID_HANDLE_VALUE)
        return handle;
    const DWORD code = ::GetLastError();
    if (code != ERROR_CALL_NOT_IMPLEMENTED && code != ERROR_NOT_SUPPORTED && code != ERROR_INVALID_FUNCTION
        && code != ERROR_INVALID_PARAMETER)
        return INVALID_HANDLE_VALUE;
    Handle again(::CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!again.valid())
        return INVALID_HANDLE_VALUE;
    if (!sameFile(looked, again.get()))
        throw Error(ERROR_FILE_INVALID, path, "cannot open: the file was replaced while it was being opened");
    return again.release();
}

// A typed name as Windows' rules make it a full path (a name ending in a
// dot or a space loses them), in the \\?\ form.
std::wstring fullname(const std::string &path)
{
    const std::wstring wide = win::toutf16(path, win::LoneSurrogate::keep);
    if (wide.empty())
        fail(ERROR_FILE_NOT_FOUND, path, "cannot open");
    return win::longform(win::fullpath(wide, path));
}

void refusedevice(const std::wstring &exact, const std::string &shown)
{
    if (const char *kind = win::devicekind(exact))
        notplain(ERROR_BAD_FILE_TYPE, shown, kind);
}

// Why the fix could not open the file for writing: the read-only attribute,
// a write-protected volume, the fix's own open refused (another program
// holding the file without sharing it for writing, no permission, a
// security program), or another program's exclusive lock on the header.
std::optional<Error> whynotwritable(HANDLE handle, const std::wstring &wide, const std::string &path)
{
    const std::string what = "cannot open for reading and writing";
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
        && (basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return Error(ERROR_ACCESS_DENIED, path,
                     what + ": the file is read-only (" + win::systemmessage(ERROR_ACCESS_DENIED) + ")");
    DWORD flags = 0;
    if (::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)
        && (flags & FILE_READ_ONLY_VOLUME))
        return Error(ERROR_WRITE_PROTECT, path, win::describe(ERROR_WRITE_PROTECT, what));
    // The same access and sharing as the fix's open, with nothing read or
    // written before it is closed again.
    try {
        ::CloseHandle(openforupdatefrom(handle, wide, path));
    } catch (const Error &error) {
        return error;
    }
    OVERLAPPED start{};
    if (!::LockFileEx(handle, LOCKFILE_FAIL_IMMEDIATELY, 0, 10, 0, &start)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)
            return Error(ERROR_LOCK_VIOLATION, path, kLockedByAnother);
        return std::nullopt;
    }
    ::UnlockFileEx(handle, 0, 10, 0, &start);
    return std::nullopt;
}

// Opens the file that `source` holds (with no data access, or for
// reading) for reading and writing; other programs may then read it but not
// write it.
HANDLE openforupdatefrom(HANDLE source, const std::wstring &wide, const std::string &path)
{
    const std::string what = "cannot open for reading and writing";
    const HANDLE handle = reopen(source, wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, path);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        FILE_BASIC_INFO basic{};
        const bool readonly = ::GetFileInformationByHandleEx(source, FileBasicInfo, &basic, sizeof basic)
                              && (basic.FileAttributes & FILE_ATTRIBUTE_READONLY);
        if (code == ERROR_ACCESS_DENIED && readonly)
            throw Error(static_cast<int>(code), path,
                        what + ": the file is read-only (" + win::systemmessage(code) + ")");
        if (code == ERROR_ACCESS_DENIED && win::deniedbeyondpermissions(wide))
            throw Error(static_cast<int>(code), path,
                        what + ": refused although the file's permissions allow writing it; Controlled Folder "
                               "Access (Windows Security, ransomware protection) or another security program may "
                               "be blocking this program (" + win::systemmessage(code) + ")");
        fail(code, path, what);
    }
    return handle;
}

} // namespace

std::unique_ptr<File> win::openforupdate(const std::wstring &exact, const std::string &shown)
{
    refusedevice(exact, shown);
    const Handle looked = lookat(shown, exact, "cannot open for reading and writing");
    return std::make_unique<WindowsFile>(openforupdatefrom(looked.get(), exact, shown), shown, exact);
}

std::unique_ptr<File> win::openforreading(const std::wstring &exact, const std::string &shown)
{
    refusedevice(exact, shown);
    const Handle looked = lookat(shown, exact, "cannot open for reading");
    const HANDLE handle = reopen(looked.get(), exact, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, shown);
    if (handle == INVALID_HANDLE_VALUE)
        fail(::GetLastError(), shown, "cannot open for reading");
    return std::make_unique<WindowsFile>(handle, shown, exact);
}

std::unique_ptr<File> openforupdate(const std::string &path)
{
    return win::openforupdate(fullname(path), path);
}

std::unique_ptr<File> openforreading(const std::string &path)
{
    return win::openforreading(fullname(path), path);
}

// The sharing mode that keeps writers out comes with the open itself.
std::unique_ptr<File> openforlook(const std::string &path)
{
    return openforreading(path);
}

// Every file is flushed on its own (FlushFileBuffers).
bool sharedflushlikely(const std::string &)
{
    return false;
}

} // namespace quenlo
