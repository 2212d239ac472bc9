#pragma once

#include "error.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace quenlo {

// One mounted file system, for flushes shared by its files: the device it is
// mounted from and the file system's own identity. A clone or snapshot
// mounted beside its original has the same identity but a device of its own.
struct FileSystemKey {
    std::uint64_t device = 0;
    std::uint64_t id = 0;
    auto operator<=>(const FileSystemKey &) const = default;
};

// An open file, read and written through one handle at 1-based byte
// positions. The handle is released when the object goes away; close()
// releases it early and reports a failure to do so. Every failure is thrown
// as quenlo::Error naming the file.
class File {
public:
    virtual ~File() = default;

    // Reads up to buffer.size() bytes starting at `position` (1 is the first
    // byte). Returns how many were read: fewer only at the end of the file.
    virtual std::size_t read(std::uint64_t position, std::span<char> buffer) = 0;

    // Writes all of `bytes` starting at `position`, or throws.
    virtual void write(std::uint64_t position, std::span<const char> bytes) = 0;

    // Makes what was written durable on the storage device.
    virtual void flush() = 0;

    // A flush shared by many files: where one flush of the whole file
    // system makes this file's writes as durable as flush() does, and
    // reports their failure as surely, the file system, so that files
    // written on it can be made durable together; nothing where each file
    // must be flushed on its own. Linux: ext4, XFS and btrfs, from kernel
    // 5.17 (which reports every failure of such a flush); never on Windows.
    virtual std::optional<FileSystemKey> sharedflush() const { return std::nullopt; }

    // Only where sharedflush() has a value (elsewhere they fall back on
    // this file alone):
    // Makes durable everything written on this file's file system, by this
    // program and by any other (as sync does). Throws when the file system
    // reports a failure, which may be any file's.
    virtual void flushfilesystem() { flush(); }
    // Once flushfilesystem() and then flush() were called, after this file
    // was written, on a file of its file system opened no later than it
    // (see opened()): `failure` is the error number either gave, or 0. Throws FlushFailure naming this file if
    // they failed, or if writing this file out failed since it was opened.
    // A file system that reports a failure may have dropped what it had not
    // written out yet and then answers each file's flush with success (ext4
    // whose journal was aborted does): no file it holds can be told fixed.
    virtual void checkflushed(int failure)
    {
        (void)failure;
        flush();
    }
    // Where this file stands among the files this program opened, in the
    // order they were opened: a flush of the file system through a file
    // reports the failure of every write made since that file was opened.
    virtual std::uint64_t opened() const { return 0; }

    // For a file opened for the fix: keeps other programs from opening the
    // file for writing or truncating it while the header is read again and
    // rewritten, until letgo(). Returns whether that could be had: Linux
    // takes a write lease, which the kernel grants to the file's owner (or
    // with CAP_LEASE) while nobody else has the file open; where it is not
    // granted, the caller looks at size() just before writing. Windows'
    // sharing modes keep writers out all along.
    virtual bool holdforwrite() { return false; }
    // Ends what holdforwrite() began, once the rewrite is done. With
    // `flushed` false the flush is left to the caller (flushfilesystem(),
    // checkflushed()): the hold then lasts until the file is closed, and if
    // another program asks for the file meanwhile, the file is flushed at
    // once and let go, so that the program waits for one
    // write only; a failure of that flush is thrown by the next flush(),
    // checkflushed() or flushfilesystem().
    virtual void letgo(bool flushed) { (void)flushed; }
    // The file's length now, where another program could change it while
    // the file is open for the fix; nothing where none can (Windows).
    virtual std::optional<std::uint64_t> size() const { return std::nullopt; }

    virtual void close() = 0;

    // For a file opened only for reading: why opening it for the fix would
    // fail now (the file or its file system is read-only or append-only,
    // or another program holds a lock on it), as far as can be told without
    // write access. Nothing when it would open, and always nothing for a
    // file opened for the fix itself. Asked once the file has been read: a
    // shared lock of ours may be given up on the way.
    virtual std::optional<Error> updateblocked() const = 0;

    // For a file opened by FileService::openforlook(): takes the shared
    // lock that openforreading() takes. Whether it took one now: what was
    // read before must then be read again to count.
    virtual bool lockforreading() { return false; }

    // For a file opened only for reading: opens the very same file (never
    // whatever its name leads to by now) for reading and writing, locked as
    // FileService::open locks it, and closes this one. Throws as
    // FileService::open does.
    virtual std::unique_ptr<File> reopenforupdate() = 0;
};

// Opens files for the fix. The system's own is systemfiles(); tests put
// another in its place to make a step fail.
class FileService {
public:
    virtual ~FileService() = default;

    // Opens an existing regular file for reading and writing, locked against
    // other programs that take locks. Never creates a file, never opens a
    // FIFO, device or kernel file, and refuses anything that is not a plain
    // file on disk before asking for write access. A file locked by another
    // program is refused ("the file is locked by another program").
    virtual std::unique_ptr<File> open(const std::string &path) = 0;

    // The same checks, but the file is opened for reading only and at most a
    // shared lock is taken: nothing is ever written, so this works on
    // read-only media and on files the user may only read.
    virtual std::unique_ptr<File> openforreading(const std::string &path) = 0;

    // openforreading() for a first look, read again under the locks before
    // its answer counts (File::lockforreading()): where locks are calls of
    // their own (POSIX) none is taken yet, so that a file found to need the
    // fix, read again under exclusive locks anyway, costs no shared ones.
    virtual std::unique_ptr<File> openforlook(const std::string &path) { return openforreading(path); }
};

FileService &systemfiles();

// The platform's implementations behind systemfiles(): POSIX or Windows.
// `path` is UTF-8 on Windows and the file system's own bytes on POSIX.
std::unique_ptr<File> openforupdate(const std::string &path);
std::unique_ptr<File> openforreading(const std::string &path);
std::unique_ptr<File> openforlook(const std::string &path);

// Whether files at `path` (a file, or a folder holding them) are likely to
// have their flushes shared (File::sharedflush()), as far as the kind of
// file system tells; for choosing how many files to work on at once.
bool sharedflushlikely(const std::string &path);

// A failure to make what was written durable. The system may keep the
// pages whose writing out failed, marked clean: the file then reads as
// fixed, under any of its names, though the storage lacks the bytes.
class FlushFailure : public Error {
public:
    using Error::Error;
};

// The reason given for a file that another program holds locked.
inline constexpr const char *kLockedByAnother = "the file is locked by another program";

} // namespace quenlo
