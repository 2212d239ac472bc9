// The Windows file services as Windows programs meet them: sharing with
// other programs, folders and devices, names beyond ASCII and beyond 260
// characters, and the version record of quenlo-fix.exe.
#include "error.h"
#include "file.h"
#include "fixprojectfile.h"

#include "recordingfiles.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

using quenlo::test::readall;
using quenlo::test::RecordingMessages;
using quenlo::test::TempDir;
using quenlo::test::toutf8;

namespace {

// A handle of another program's on the file, closed when it goes away.
struct OtherHandle {
    OtherHandle(const std::filesystem::path &path, DWORD access, DWORD share)
        : handle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~OtherHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
    bool opened() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE handle;
};

quenlo::Error openerror(const std::string &path)
{
    try {
        quenlo::openforupdate(path);
    } catch (const quenlo::Error &error) {
        return error;
    }
    return quenlo::Error(0, path, "opened");
}

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

TEST(WindowsFiles, shouldReportAFileHeldWithoutWriteSharingAsInUseAndLeaveIt)
{
    TempDir dir;
    const auto path = dir.write("HELD.PRJ", "/8203 held");
    const OtherHandle other(quenlo::test::fromutf8(path), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(other.opened());

    const auto error = openerror(path);

    EXPECT_EQ(error.number(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(contains(error.what(), "being used by another process")) << error.what();
    EXPECT_TRUE(contains(error.what(), path)) << error.what();
    EXPECT_EQ(readall(path), "/8203 held");
}

TEST(WindowsFiles, shouldLetOthersReadButNotWriteWhileTheFixRuns)
{
    TempDir dir;
    const auto path = dir.write("OPEN.PRJ", "/8203");
    const auto file = quenlo::openforupdate(path);

    const OtherHandle reader(quenlo::test::fromutf8(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    const OtherHandle writer(quenlo::test::fromutf8(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);

    EXPECT_TRUE(reader.opened());
    EXPECT_FALSE(writer.opened());
}

struct RefusedCase {
    const char *name;
    std::function<std::string(const TempDir &)> path;
    int number;
    std::string reason;
};

std::ostream &operator<<(std::ostream &out, const RefusedCase &c) { return out << c.name; }

class WindowsRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(WindowsRefusedTest, shouldRefuseWithTheSystemsWordsAndCreateNothing)
{
    TempDir dir;
    const auto path = GetParam().path(dir);

    const auto error = openerror(path);

    EXPECT_EQ(error.number(), GetParam().number) << error.what();
    EXPECT_TRUE(contains(error.what(), GetParam().reason)) << error.what();
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "NONE.PRJ"));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsRefusedTest,
    ::testing::Values(
        RefusedCase{"missingFile", [](const TempDir &d) { return toutf8(d.path() / "NONE.PRJ"); }, ERROR_FILE_NOT_FOUND,
                    "cannot open for reading and writing: "},
        RefusedCase{"emptyPath", [](const TempDir &) { return std::string(); }, ERROR_FILE_NOT_FOUND,
                    "(no file name): cannot open"},
        RefusedCase{"folder", [](const TempDir &d) { return toutf8(d.path()); }, ERROR_BAD_FILE_TYPE,
                    "not a regular file (a folder)"},
        RefusedCase{"nulDevice", [](const TempDir &) { return std::string("NUL"); }, ERROR_BAD_FILE_TYPE,
                    "not a regular file (a device or pipe)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WindowsFiles, shouldFixAFileWithANameBeyondAscii)
{
    TempDir dir;
    const auto path = dir.write("Projekt \xc3\xa4\xc3\xb6\xc3\xbc \xe6\x97\xa5\xe6\x9c\xac.PRJ", "/8203 non-ASCII");
    quenlo::ProjectHeader prjheader{};
    RecordingMessages messages;

    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), quenlo::FixOutcome::Fixed);

    EXPECT_EQ(readall(path), "/8202 non-ASCII");
}

TEST(WindowsFiles, shouldFixAFileWhosePathIsLongerThan260Characters)
{
    TempDir dir;
    std::wstring folder = L"\\\\?\\" + dir.path().wstring();
    for (int level = 0; level < 6; ++level) {
        folder += L"\\" + std::wstring(50, wchar_t(L'a' + level));
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
    }
    const std::wstring file = folder + L"\\LONG.PRJ";
    {
        const HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(out, INVALID_HANDLE_VALUE) << ::GetLastError();
        DWORD put = 0;
        ::WriteFile(out, "x/8203 long", 11, &put, nullptr);
        ::CloseHandle(out);
    }
    const auto path = toutf8(std::filesystem::path(file.substr(4)));
    ASSERT_GT(path.size(), 260u);
    quenlo::ProjectHeader prjheader{};
    RecordingMessages messages;

    EXPECT_EQ(quenlo::fixprojectfile(path, prjheader, messages), quenlo::FixOutcome::Fixed);

    const auto file2 = quenlo::openforupdate(path);
    std::array<char, 16> buffer{};
    EXPECT_EQ(std::string(buffer.data(), file2->read(1, buffer)), "x/8202 long");
}

std::wstring versionvalue(const std::wstring &exe, const std::wstring &name)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0)
        return L"(no version record)";
    std::vector<char> data(size);
    if (!::GetFileVersionInfoW(exe.c_str(), 0, size, data.data()))
        return L"(unreadable)";
    wchar_t *value = nullptr;
    UINT length = 0;
    const std::wstring key = L"\\StringFileInfo\\040904b0\\" + name;
    if (!::VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void **>(&value), &length) || length == 0)
        return L"(missing)";
    return std::wstring(value, length - 1);
}

TEST(WindowsFiles, shouldCarryVersionOneInTheExecutablesVersionRecord)
{
    const char *exe = std::getenv("QUENLO_FIX_EXE");
    ASSERT_NE(exe, nullptr) << "QUENLO_FIX_EXE names quenlo-fix.exe";
    const auto path = quenlo::test::fromutf8(exe).wstring();

    EXPECT_EQ(versionvalue(path, L"FileVersion"), L"1.00");
    EXPECT_EQ(versionvalue(path, L"ProductVersion"), L"1.00");
}

} // namespace
