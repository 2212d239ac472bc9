// The system's file services: what they open, what they refuse, and how
// they report it.
#include "error.h"
#include "file.h"

#include "fixprojectfile.h"
#include "lockholder.h"
#include "recordingfiles.h"
#include "ordinaryuser.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using quenlo::test::LockHolder;
using quenlo::test::readall;
using quenlo::test::TempDir;

namespace {

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

struct RefusedCase {
    const char *name;
    std::function<std::string(const TempDir &)> make; // returns the path to open
    int number;
    std::string reason;
};

std::ostream &operator<<(std::ostream &out, const RefusedCase &c) { return out << c.name; }

class RefusedOpenTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOpenTest, shouldRefuseWithANumberAndAReasonNamingTheFile)
{
    TempDir dir;
    const auto path = GetParam().make(dir);
    const auto started = std::chrono::steady_clock::now();

    try {
        quenlo::openforupdate(path);
        FAIL() << "opened " << path;
    } catch (const quenlo::Error &error) {
        EXPECT_EQ(error.number(), GetParam().number);
        EXPECT_EQ(error.subject(), path);
        EXPECT_TRUE(contains(error.what(), GetParam().reason)) << error.what();
    }

    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "the open blocked";
}

std::string makefifo(const TempDir &dir)
{
    const auto path = (dir.path() / "PIPE.PRJ").string();
    if (::mkfifo(path.c_str(), 0666) < 0)
        throw std::runtime_error("mkfifo failed");
    return path;
}

std::string makesocket(const TempDir &dir)
{
    const auto path = (dir.path() / "SOCK.PRJ").string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    ::close(fd);
    if (bound < 0)
        throw std::runtime_error("bind failed");
    return path;
}

std::string makelinktofifo(const TempDir &dir)
{
    const auto link = (dir.path() / "LINK.PRJ").string();
    if (::symlink(makefifo(dir).c_str(), link.c_str()) < 0)
        throw std::runtime_error("symlink failed");
    return link;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RefusedOpenTest,
    ::testing::Values(
        RefusedCase{"missingFile", [](const TempDir &d) { return (d.path() / "NONE.PRJ").string(); }, ENOENT,
                    "cannot open: No such file or directory"},
        RefusedCase{"emptyPath", [](const TempDir &) { return std::string(); }, ENOENT,
                    "(no file name): cannot open: No such file or directory"},
        RefusedCase{"missingFolder", [](const TempDir &d) { return (d.path() / "no" / "A.PRJ").string(); }, ENOENT,
                    "No such file or directory"},
        RefusedCase{"directory", [](const TempDir &d) { return d.path().string(); }, EISDIR,
                    "not a regular file (a directory)"},
        RefusedCase{"fifoWithNoWriter", makefifo, EINVAL, "not a regular file (a FIFO)"},
        RefusedCase{"linkToFifo", makelinktofifo, EINVAL, "not a regular file (a FIFO)"},
        RefusedCase{"socket", makesocket, EINVAL, "not a regular file (a socket)"},
        RefusedCase{"device", [](const TempDir &) { return std::string("/dev/null"); }, EINVAL,
                    "not a regular file (a device)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SystemFiles, shouldNeverCreateAMissingFile)
{
    TempDir dir;
    const auto path = dir.path() / "NONE.PRJ";

    EXPECT_THROW(quenlo::systemfiles().open(path.string()), quenlo::Error);

    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SystemFiles, shouldRefuseAReadOnlyFileForAnOrdinaryUserAndLeaveItUntouched)
{
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const auto path = dir.write("LOCKED.PRJ", "/8203 locked");
    std::filesystem::permissions(path, std::filesystem::perms(0444));

    const auto answer = quenlo::test::asordinaryuser([&] {
        try {
            quenlo::openforupdate(path);
            return std::string("opened");
        } catch (const quenlo::Error &error) {
            return std::to_string(error.number()) + " " + error.what();
        }
    });

    EXPECT_EQ(answer, std::to_string(EACCES) + " " + path + ": cannot open for reading and writing: Permission denied");
    EXPECT_EQ(readall(path), "/8203 locked");
}

TEST(SystemFiles, shouldReadOnlyWhatTheFileHolds)
{
    TempDir dir;
    const auto file = quenlo::openforupdate(dir.write("A.PRJ", "abcdef"));
    std::array<char, 10> buffer{};

    EXPECT_EQ(file->read(1, buffer), 6u);
    EXPECT_EQ(std::string(buffer.data(), 6), "abcdef");
    EXPECT_EQ(file->read(4, buffer), 3u);
    EXPECT_EQ(std::string(buffer.data(), 3), "def");
    EXPECT_EQ(file->read(7, buffer), 0u);
}

TEST(SystemFiles, shouldWriteAtTheOneBasedPositionInPlace)
{
    TempDir dir;
    const auto path = dir.write("A.PRJ", "abcdef");
    const auto file = quenlo::openforupdate(path);

    file->write(3, std::string("XY"));
    file->flush();
    file->close();

    EXPECT_EQ(readall(path), "abXYef");
}

TEST(SystemFiles, shouldRefuseBytePositionZero)
{
    TempDir dir;
    const auto file = quenlo::openforupdate(dir.write("A.PRJ", "abc"));
    std::array<char, 1> buffer{};

    EXPECT_THROW(file->read(0, buffer), quenlo::Error);
}

struct LockCase {
    const char *name;
    LockHolder::Kind kind;
};

std::ostream &operator<<(std::ostream &out, const LockCase &c) { return out << c.name; }

class OtherProgramsLockTest : public ::testing::TestWithParam<LockCase> {
protected:
    TempDir dir;
    std::string path = dir.write("L.PRJ", "/8203 locked by another program");
};

TEST_P(OtherProgramsLockTest, shouldRefuseTheFixAndLeaveTheFile)
{
    const LockHolder other(path, GetParam().kind);
    ASSERT_EQ(other.state(), "locked");

    try {
        quenlo::openforupdate(path);
        FAIL() << "opened a file another program holds locked";
    } catch (const quenlo::Error &error) {
        EXPECT_EQ(error.number(), EWOULDBLOCK);
        EXPECT_EQ(std::string(error.what()), path + ": the file is locked by another program");
    }
    EXPECT_EQ(readall(path), "/8203 locked by another program");
}

TEST_P(OtherProgramsLockTest, shouldLetALookReadButSayTheFixWouldBeRefused)
{
    const LockHolder other(path, GetParam().kind);
    ASSERT_EQ(other.state(), "locked");

    const auto file = quenlo::openforreading(path);
    std::array<char, 5> buffer{};

    EXPECT_EQ(file->read(1, buffer), 5u);
    const auto blocked = file->updateblocked();
    ASSERT_TRUE(blocked.has_value());
    EXPECT_EQ(blocked->reason(), "the file is locked by another program");
}

INSTANTIATE_TEST_SUITE_P(
    Locks, OtherProgramsLockTest,
    ::testing::Values(LockCase{"exclusiveFlock", LockHolder::Kind::FlockExclusive},
                      LockCase{"sharedFlock", LockHolder::Kind::FlockShared},
                      LockCase{"ofdWriteLock", LockHolder::Kind::OfdWrite},
                      LockCase{"ofdReadLock", LockHolder::Kind::OfdRead},
                      LockCase{"posixLockOnTheHeaderOnly", LockHolder::Kind::PosixWrite}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SystemFiles, shouldHoldBothLocksWhileOpenForTheFixAndReleaseThemWithTheHandle)
{
    TempDir dir;
    const auto path = dir.write("A.PRJ", "/8203");
    using Kind = LockHolder::Kind;

    auto file = quenlo::openforupdate(path);
    EXPECT_FALSE(quenlo::test::couldlock(path, Kind::FlockShared));
    EXPECT_FALSE(quenlo::test::couldlock(path, Kind::OfdRead));
    file->close();

    EXPECT_TRUE(quenlo::test::couldlock(path, Kind::FlockExclusive));
    EXPECT_TRUE(quenlo::test::couldlock(path, Kind::OfdWrite));
}

TEST(SystemFiles, shouldLetOtherReadersLockWhileALookIsOpenButNoWriter)
{
    TempDir dir;
    const auto path = dir.write("A.PRJ", "/8203");
    using Kind = LockHolder::Kind;

    const auto file = quenlo::openforreading(path);

    EXPECT_FALSE(file->updateblocked().has_value());
    EXPECT_TRUE(quenlo::test::couldlock(path, Kind::FlockShared));
    EXPECT_TRUE(quenlo::test::couldlock(path, Kind::OfdRead));
    EXPECT_FALSE(quenlo::test::couldlock(path, Kind::OfdWrite));
}

// A first look holds no lock until asked to, then the shared ones, once.
TEST(SystemFiles, shouldTakeTheSharedLocksOfAFirstLookOnlyWhenAsked)
{
    TempDir dir;
    const auto path = dir.write("A.PRJ", "/8202");
    using Kind = LockHolder::Kind;

    const auto file = quenlo::systemfiles().openforlook(path);
    EXPECT_TRUE(quenlo::test::couldlock(path, Kind::FlockExclusive));
    EXPECT_TRUE(quenlo::test::couldlock(path, Kind::OfdWrite));

    EXPECT_TRUE(file->lockforreading());
    EXPECT_FALSE(quenlo::test::couldlock(path, Kind::FlockExclusive));
    EXPECT_FALSE(quenlo::test::couldlock(path, Kind::OfdWrite));
    EXPECT_FALSE(file->lockforreading());
    EXPECT_FALSE(quenlo::openforreading(path)->lockforreading());
}

TEST(SystemFiles, shouldLookAtAFileWithoutAnyWriteAFileWatcherCouldSee)
{
    TempDir dir;
    const auto path = dir.write("WATCHED.PRJ", "/8203 watched");
    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(::inotify_add_watch(watcher, path.c_str(), IN_ALL_EVENTS), 0);

    auto file = quenlo::openforreading(path);
    std::array<char, 10> buffer{};
    file->read(1, buffer);
    file->close();

    std::uint32_t seen = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = ::read(watcher, events, sizeof events)) > 0;)
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events + at);
            seen |= event->mask;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    ::close(watcher);
    EXPECT_TRUE(seen & IN_CLOSE_NOWRITE);
    EXPECT_FALSE(seen & (IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB)) << std::hex << seen;
}

TEST(SystemFiles, shouldLookAtAFileTheUserMayOnlyReadAndSayTheFixWouldBeRefused)
{
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const auto path = dir.write("READONLY.PRJ", "/8203 read-only");
    std::filesystem::permissions(path, std::filesystem::perms(0444));

    const auto answer = quenlo::test::asordinaryuser([&] {
        try {
            const auto file = quenlo::openforreading(path);
            std::array<char, 5> buffer{};
            const auto blocked = file->updateblocked();
            return std::string(buffer.data(), file->read(1, buffer)) + " | "
                   + (blocked ? std::to_string(blocked->number()) + " " + blocked->reason() : "not blocked");
        } catch (const quenlo::Error &error) {
            return std::string(error.what());
        }
    });

    EXPECT_EQ(answer, "/8203 | " + std::to_string(EACCES) + " cannot open for reading and writing: Permission denied");
}

// Files of the kernel's own file systems, where one exists on this machine.
class KernelFileTest : public ::testing::TestWithParam<const char *> {};

TEST_P(KernelFileTest, shouldRefuseItAsNotAProjectFileOnDiskBeforeOpeningIt)
{
    const std::string path = GetParam();
    struct stat status {};
    if (::stat(path.c_str(), &status) < 0 || !S_ISREG(status.st_mode))
        GTEST_SKIP() << path << " is not a file on this machine";

    for (const auto &open : {quenlo::openforupdate, quenlo::openforreading}) {
        try {
            open(path);
            ADD_FAILURE() << "opened " << path;
        } catch (const quenlo::Error &error) {
            EXPECT_EQ(error.number(), EINVAL);
            EXPECT_TRUE(contains(error.what(), path + ": cannot open: not a project file on disk")) << error.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, KernelFileTest,
                         ::testing::Values("/proc/sys/kernel/hostname", "/proc/self/status",
                                           "/sys/kernel/uevent_seqnum", "/sys/fs/cgroup/cgroup.procs",
                                           "/sys/kernel/debug/sleep_time", "/sys/kernel/security/lsm"),
                         [](const auto &info) {
                             std::string name = info.param;
                             for (auto &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// The window's Fix goes through fixprojectfile and systemfiles(): the same
// refusals reach it, before any outcome is shown.
TEST(FixProjectFileOnThisSystem, shouldRefuseALockedFileAndAKernelFileWithoutShowingAnOutcome)
{
    TempDir dir;
    const auto locked = dir.write("LOCKED.PRJ", "/8203 in use");
    const LockHolder other(locked, LockHolder::Kind::OfdWrite);
    ASSERT_EQ(other.state(), "locked");
    quenlo::ProjectHeader prjheader{};
    quenlo::test::RecordingMessages messages;

    for (const std::string &path : {locked, std::string("/proc/sys/kernel/hostname")}) {
        try {
            quenlo::fixprojectfile(path, prjheader, messages);
            ADD_FAILURE() << "fixed " << path;
        } catch (const quenlo::Error &error) {
            EXPECT_EQ(error.subject(), path);
            EXPECT_TRUE(contains(error.reason(), "locked by another program")
                        || contains(error.reason(), "not a project file on disk"))
                << error.what();
        }
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(readall(locked), "/8203 in use");
}

} // namespace
