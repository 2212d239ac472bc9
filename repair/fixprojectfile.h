#pragma once

#include "file.h"
#include "header.h"
#include "messagebox.h"
#include "outcome.h"

#include <memory>
#include <optional>
#include <string>

namespace quenlo {

// Repairs the project file at `prjpath`, working in the caller's buffer
// `prjheader`:
//   open the file, read its first ten bytes into `prjheader`, look for the
//   version marker; if it is there, rewrite it, write back the bytes that
//   change (each marker's last digit, in one write) and flush them to
//   storage; show the outcome under "Fix Result"; close the file once the
//   message has been dismissed.
// Around the write only, other programs are kept from writing the file
// (File::holdforwrite()), and the header is read again under that hold;
// where they cannot be kept out, a file that has become shorter than the
// header read is left alone ("the file changed while it was being fixed").
// A file shorter than ten bytes is searched and written back at its own
// length; the rest of `prjheader` is cleared. Failures are thrown as
// quenlo::Error before any outcome is shown, and the file is left as it was
// or exactly as fixed.
FixOutcome fixprojectfile(const std::string &prjpath, ProjectHeader &prjheader, MessageService &messages,
                          FileService &files = systemfiles());

// What a look at a project file tells without changing it.
struct CheckResult {
    FixOutcome outcome = FixOutcome::InvalidVersion; // what fixprojectfile would find
    std::optional<Error> wouldfail; // why fixprojectfile could not open it, if it could not
};

// The same look at the file as fixprojectfile (header read and tested), but
// the file is opened for reading only, at most a shared lock is taken,
// nothing is written and nothing shown. Failures to open or read are thrown
// as by fixprojectfile.
CheckResult checkprojectfile(const std::string &prjpath, ProjectHeader &prjheader,
                             FileService &files = systemfiles());

// The same fix, for a run over many files: the header is first read through
// a read-only open with a shared lock, and the file is opened for reading
// and writing (exclusive locks, the hold, header read again) only when it
// needs the fix, so a file that needs none is never opened for writing and
// a file on read-only media that needs none is not an error. Nothing is
// shown; the outcome is returned once the file is closed. Failures are
// thrown as by fixprojectfile.
FixOutcome fixifneeded(const std::string &prjpath, ProjectHeader &prjheader, FileService &files = systemfiles());

// What fixsharingflush() leaves to its caller.
struct SharedFix {
    FixOutcome outcome = FixOutcome::InvalidVersion;
    // The file, when it was rewritten where one flush may serve many files
    // (File::sharedflush()): not flushed, still open, locked and held (see
    // File::letgo()). It is fixed only once the caller has made it durable
    // (its file system flushed, then File::checkflushed(), or File::flush())
    // and closed it.
    // Nothing when it was flushed and closed here, or needed no fix.
    std::unique_ptr<File> unflushed;
};

// fixifneeded, but a file rewritten on a file system whose flushes may be
// shared is left to the caller to flush and close, so that one flush can
// serve many files.
SharedFix fixsharingflush(const std::string &prjpath, ProjectHeader &prjheader, FileService &files);

} // namespace quenlo
