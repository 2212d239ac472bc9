// The system's file services: what they open, what they refuse, and how
// they report it.
#include "error.h"
#include "file.h"

#include "ordinaryuser.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

} // namespace
