// The walk of -r: which entries become names, in which order, and what
// happens with links, loops, odd files and folders that cannot be read.
#include "folderwalk.h"
#include "wildcards.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "folderwalk_win.h"

#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using quenlo::cli::isprojectname;
using quenlo::cli::walkfolder;
using quenlo::test::TempDir;
using quenlo::test::toutf8;

namespace fs = std::filesystem;

namespace {

struct Walked {
    std::vector<std::string> files;  // relative to the root, '/' between parts
    std::vector<std::string> errors; // the same for folders that could not be read
};

Walked walk(const TempDir &dir, bool dereference = false)
{
    const auto root = toutf8(dir.path());
    const auto relative = [&](const std::string &path) {
        auto text = path.substr(root.size() + 1);
        for (auto &c : text)
            if (c == '\\')
                c = '/';
        return text;
    };
    Walked walked;
    quenlo::cli::Folders folders(16);
    walkfolder(
        folders, root, dereference, [&](quenlo::cli::WalkedFile file) { walked.files.push_back(relative(file.path())); },
        [&](const quenlo::Error &error) { walked.errors.push_back(relative(error.subject()) + ": " + error.reason()); });
    return walked;
}

void touch(const fs::path &path)
{
    std::ofstream(path) << "/8203 x";
}

TEST(FolderWalk, shouldListProjectFilesDepthFirstInTheSystemsOrder)
{
    TempDir dir;
    for (const char *name : {"b.prj", "A.PRJ", "c.Prj", "notes.txt", "PRJ", "x.PRJ.bak", "\xc3\xa9.PRJ", "Z.PRJ"})
        touch(dir.path() / quenlo::test::fromutf8(name));
    fs::create_directories(dir.path() / "m" / "deeper");
    fs::create_directories(dir.path() / "empty");
    fs::create_directories(dir.path() / "folder.PRJ");
    touch(dir.path() / "m" / "x.PRJ");
    touch(dir.path() / "m" / "deeper" / "y.prj");
    touch(dir.path() / "m" / "a.txt");
    touch(dir.path() / "folder.PRJ" / "inner.PRJ");

    // Files and folders together, by bytes: upper case before lower case,
    // and a name beyond ASCII last; on Windows as dir shows them, letters
    // without regard to case.
#ifdef _WIN32
    const std::vector<std::string> expected = {"A.PRJ", "b.prj", "c.Prj", "folder.PRJ/inner.PRJ", "m/deeper/y.prj",
                                               "m/x.PRJ", "Z.PRJ", "\xc3\xa9.PRJ"};
#else
    const std::vector<std::string> expected = {"A.PRJ", "Z.PRJ", "b.prj", "c.Prj", "folder.PRJ/inner.PRJ",
                                               "m/deeper/y.prj", "m/x.PRJ", "\xc3\xa9.PRJ"};
#endif
    const auto walked = walk(dir);
    EXPECT_EQ(walked.files, expected);
    EXPECT_TRUE(walked.errors.empty());
}

TEST(FolderWalk, shouldReportAFolderThatCannotBeReadAndGoOn)
{
    TempDir dir;
    touch(dir.path() / "a.PRJ");
    std::vector<std::string> files, errors;
    quenlo::cli::Folders folders(16);
    walkfolder(
        folders, toutf8(dir.path() / "missing"), false, [&](quenlo::cli::WalkedFile file) { files.push_back(file.path()); },
        [&](const quenlo::Error &error) { errors.push_back(error.what()); });
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_NE(errors[0].find("missing: cannot read the " + std::string(quenlo::cli::kFolderWord) + ": "), std::string::npos) << errors[0];
    EXPECT_TRUE(files.empty());
}

#ifndef _WIN32
TEST(FolderWalk, shouldFollowLinksWhenAskedButNeverUpAndHandOnOddFiles)
{
    TempDir dir;
    touch(dir.path() / "a.PRJ");
    fs::create_directories(dir.path() / "sub");
    touch(dir.path() / "sub" / "s.PRJ");
    fs::create_directory_symlink(".", dir.path() / "loop");             // a loop: never followed
    fs::create_directory_symlink("sub", dir.path() / "linked.PRJ");    // a folder behind a project name
    fs::create_symlink("a.PRJ", dir.path() / "alias.PRJ");             // a file behind a link: a name with -L
    fs::create_symlink("nowhere", dir.path() / "dangling.PRJ");        // the fix says why it fails
    fs::create_symlink("self.PRJ", dir.path() / "self.PRJ");           // a link loop, the same
    ASSERT_EQ(::mkfifo((dir.path() / "fifo.PRJ").c_str(), 0644), 0);  // the fix refuses it
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto socketpath = (dir.path() / "socket.PRJ").string();
    ASSERT_LT(socketpath.size(), sizeof address.sun_path);
    socketpath.copy(address.sun_path, socketpath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(sock);

    const std::vector<std::string> expected = {"a.PRJ",    "alias.PRJ",  "dangling.PRJ", "fifo.PRJ", "linked.PRJ/s.PRJ",
                                               "self.PRJ", "socket.PRJ", "sub/s.PRJ"};
    const auto followed = walk(dir, true);
    EXPECT_EQ(followed.files, expected);
    const std::vector<std::string> loop = {
        "loop: cannot read the directory: symbolic link not followed: it leads back to a directory above it"};
    EXPECT_EQ(followed.errors, loop);
}
#endif

struct NameCase {
    const char *name;
    bool project;
};

class ProjectNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProjectNameTest, shouldTakeDotPrjInAnyLetterCase)
{
    EXPECT_EQ(isprojectname(GetParam().name), GetParam().project) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, ProjectNameTest,
                         ::testing::Values(NameCase{"A.PRJ", true}, NameCase{"a.prj", true}, NameCase{"a.pRj", true},
                                           NameCase{".PRJ", true}, NameCase{"PRJ", false}, NameCase{"a.PRJ ", false},
                                           NameCase{"a.PRJX", false}, NameCase{"a_PRJ", false}, NameCase{"", false},
                                           NameCase{"a.P\xd0\xa0J", false}));

struct WildcardCase {
    const char *path;
    bool wildcard;
};

class WildcardTest : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTest, shouldSeeWildcardsOnlyInTheLastComponent)
{
    EXPECT_EQ(quenlo::cli::haswildcard(GetParam().path), GetParam().wildcard) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths, WildcardTest,
                         ::testing::Values(WildcardCase{"*.PRJ", true}, WildcardCase{"dir\\?.PRJ", true},
                                           WildcardCase{"C:*.prj", true}, WildcardCase{"d*r\\a.PRJ", false},
                                           WildcardCase{"d?r/a.PRJ", false}, WildcardCase{"a.PRJ", false},
                                           WildcardCase{"dir/", false}, WildcardCase{"", false}));

#ifdef _WIN32
// Of the reparse points, the walk leaves alone only the name surrogates
// (symbolic links, junctions): a cloud provider's placeholder folder is
// walked. The tag counts only on an entry that is a reparse point.
TEST(FolderWalk, shouldTakeOnlyNameSurrogatesForLinks)
{
    using Kind = quenlo::cli::FolderEntry::Kind;
    constexpr DWORD folder = FILE_ATTRIBUTE_DIRECTORY, reparse = FILE_ATTRIBUTE_REPARSE_POINT;
    const struct {
        DWORD attributes, tag;
        Kind kind;
    } cases[] = {
        {folder | reparse, DWORD(IO_REPARSE_TAG_MOUNT_POINT), Kind::Link}, // a junction
        {folder | reparse, DWORD(IO_REPARSE_TAG_SYMLINK), Kind::Link},
        {reparse, DWORD(IO_REPARSE_TAG_SYMLINK), Kind::Link},
        {folder | reparse, 0, Kind::Link}, // no tag given (Wine's symbolic links)
        {folder | reparse, DWORD(IO_REPARSE_TAG_CLOUD_3), Kind::Folder}, // OneDrive's Files-On-Demand
        {reparse, DWORD(IO_REPARSE_TAG_CLOUD_3), Kind::Other},
        {reparse, DWORD(IO_REPARSE_TAG_DEDUP), Kind::Other},
        {folder, DWORD(IO_REPARSE_TAG_MOUNT_POINT), Kind::Folder},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quenlo::cli::entrykind(c.attributes, c.tag), c.kind) << std::hex << c.attributes << ' ' << c.tag;
}
#endif

#ifndef _WIN32
// With room for two descriptors, folders are closed and opened again inside
// their parents: every file is still reached, and a folder swapped for
// another during the run is refused, never followed.
TEST(Folders, shouldOpenAgainOnlyTheFoldersTheWalkMet)
{
    TempDir dir;
    for (const char *sub : {"a", "a/b", "a/b/c", "d", "e"}) {
        fs::create_directories(dir.path() / sub);
        touch(dir.path() / sub / "x.PRJ");
    }
    quenlo::cli::Folders folders(2);
    std::vector<quenlo::cli::WalkedFile> files;
    walkfolder(
        folders, toutf8(dir.path()), false, [&](quenlo::cli::WalkedFile file) { files.push_back(std::move(file)); },
        [](const quenlo::Error &error) { FAIL() << error.what(); });
    ASSERT_EQ(files.size(), 5U);
    fs::rename(dir.path() / "a" / "b", dir.path() / "moved");
    fs::create_directories(dir.path() / "a" / "b" / "c");

    for (const auto &file : files) {
        const bool replaced = file.path().find("/a/b/") != std::string::npos;
        try {
            const auto held = folders.hold(*file.folder);
            struct stat info {};
            EXPECT_FALSE(replaced) << file.path();
            EXPECT_EQ(::fstatat(held.fd(), file.name.c_str(), &info, 0), 0) << file.path();
        } catch (const quenlo::Error &error) {
            EXPECT_TRUE(replaced) << error.what();
            EXPECT_NE(std::string(error.what()).find("a/b was replaced during the run"), std::string::npos)
                << error.what();
        }
    }
}
#endif

} // namespace
