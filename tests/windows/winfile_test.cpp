// The Windows file services as Windows programs meet them: sharing with
// and locks of other programs, folders, devices and pipes, names beyond
// ASCII and beyond 260 characters, names UTF-8 cannot carry, and the
// version record of quenlo-fix.exe.
#include "error.h"
#include "file.h"
#include "fixprojectfile.h"

#include "recordingfiles.h"
#include "tempdir.h"
#include "utf16.h"
#include "winfailure.h"
#include "winpath.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

using quenlo::test::readall;
using quenlo::test::RecordingMessages;
using quenlo::test::TempDir;
using quenlo::test::toutf8;

constexpr auto keep = quenlo::win::LoneSurrogate::keep;

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

quenlo::Error openerror(const std::string &path,
                        std::unique_ptr<quenlo::File> (*open)(const std::string &) = quenlo::openforupdate)
{
    try {
        open(path);
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

    for (const auto open : {quenlo::openforupdate, quenlo::openforreading}) {
        const auto error = openerror(path, open);

        EXPECT_EQ(error.number(), GetParam().number) << error.what();
        EXPECT_TRUE(contains(error.what(), GetParam().reason)) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "NONE.PRJ"));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsRefusedTest,
    ::testing::Values(
        RefusedCase{"missingFile", [](const TempDir &d) { return toutf8(d.path() / "NONE.PRJ"); }, ERROR_FILE_NOT_FOUND,
                    "cannot open for reading"},
        RefusedCase{"emptyPath", [](const TempDir &) { return std::string(); }, ERROR_FILE_NOT_FOUND,
                    "(no file name): cannot open"},
        RefusedCase{"folder", [](const TempDir &d) { return toutf8(d.path()); }, ERROR_BAD_FILE_TYPE,
                    "not a regular file (a folder)"},
        // Device names are refused by name, before any open: opening COM1
        // takes the port (and under Wine blocks on the serial line).
        RefusedCase{"nulDevice", [](const TempDir &) { return std::string("NUL"); }, ERROR_BAD_FILE_TYPE,
                    "cannot open: not a regular file (a device name)"},
        RefusedCase{"com1", [](const TempDir &) { return std::string("COM1"); }, ERROR_BAD_FILE_TYPE,
                    "not a regular file (a device name)"},
        RefusedCase{"com1WithAnExtensionInAFolder", [](const TempDir &d) { return toutf8(d.path() / "COM1.PRJ"); },
                    ERROR_BAD_FILE_TYPE, "not a regular file (a device name)"},
        RefusedCase{"com1InDeviceForm", [](const TempDir &) { return std::string("\\\\.\\COM1"); },
                    ERROR_BAD_FILE_TYPE, "not a regular file (a device name)"},
        RefusedCase{"volume", [](const TempDir &) { return std::string("\\\\.\\C:"); }, ERROR_BAD_FILE_TYPE,
                    "not a regular file (a device name)"},
        RefusedCase{"physicalDrive", [](const TempDir &) { return std::string("\\\\.\\PhysicalDrive0"); },
                    ERROR_BAD_FILE_TYPE, "not a regular file (a device name)"},
        RefusedCase{"globalRoot", [](const TempDir &) { return std::string("\\\\?\\GLOBALROOT\\Device\\Null"); },
                    ERROR_BAD_FILE_TYPE, "not a regular file (a device name)"},
        RefusedCase{"pipeWithForwardSlashes", [](const TempDir &) { return std::string("//./pipe/quenlo-none"); },
                    ERROR_BAD_FILE_TYPE, "not a regular file (a named pipe)"},
        RefusedCase{"pipeOnAShare", [](const TempDir &) { return std::string("\\\\localhost\\PIPE\\quenlo-none"); },
                    ERROR_BAD_FILE_TYPE, "not a regular file (a named pipe)"}),
    [](const auto &info) { return std::string(info.param.name); });

// A volume mounted without a letter is reached as \\?\Volume{GUID}\...: a
// file path, while the volume itself stays a device.
TEST(WindowsFiles, shouldTakeVolumePathsAsFilePathsAndVolumesAsDevices)
{
    const std::wstring guid = L"{0a1b2c3d-4e5f-6789-abcd-ef0123456789}";
    const struct {
        std::wstring path;
        const char *kind;
    } cases[] = {
        {L"\\\\?\\Volume" + guid + L"\\dir\\a.PRJ", nullptr},
        {L"\\\\.\\volume" + guid + L"\\a.PRJ", nullptr},
        {L"\\\\?\\Volume" + guid, "a device name"},
        {L"\\\\?\\Volume" + guid + L"\\", "a device name"},
        {L"\\\\?\\Volume{0a1b2c3d-4e5f-6789-abcd-ef01234567}\\a.PRJ", "a device name"},
        {L"\\\\?\\Volume" + guid + L"x\\a.PRJ", "a device name"},
        {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\a.PRJ", "a device name"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(quenlo::win::devicekind(c.path), c.kind) << quenlo::win::toutf8(c.path, keep);
}

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

// A named pipe server with a single instance, as a program waiting for
// one client has.
struct PipeServer {
    explicit PipeServer(const std::wstring &name)
        : pipe(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 64, 64,
                                  0, nullptr))
    {
        event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~PipeServer()
    {
        ::CloseHandle(pipe);
        ::CloseHandle(event);
    }
    // ERROR_IO_PENDING while no client has come; ERROR_PIPE_CONNECTED or
    // ERROR_NO_DATA once one has (and perhaps left).
    DWORD connectstate()
    {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event;
        if (::ConnectNamedPipe(pipe, &overlapped))
            return ERROR_SUCCESS;
        const DWORD state = ::GetLastError();
        if (state == ERROR_IO_PENDING)
            ::CancelIo(pipe);
        return state;
    }
    HANDLE pipe;
    HANDLE event;
};

TEST(WindowsFiles, shouldRefuseANamedPipeWithoutTakingTheServersOnlyInstance)
{
    const std::wstring name = L"\\\\.\\pipe\\quenlo-test-" + std::to_wstring(::GetCurrentProcessId());
    PipeServer server(name);
    ASSERT_NE(server.pipe, INVALID_HANDLE_VALUE) << ::GetLastError();

    const std::string utf8 = quenlo::win::toutf8(name, keep);
    const std::string raw = "\\\\?\\" + utf8.substr(4);
    for (const auto &path : {utf8, raw}) {
        for (const auto open : {quenlo::openforupdate, quenlo::openforreading}) {
            const auto error = openerror(path, open);
            EXPECT_EQ(error.number(), ERROR_BAD_FILE_TYPE) << error.what();
            EXPECT_TRUE(contains(error.what(), "not a regular file (a named pipe)")) << error.what();
        }
    }

    EXPECT_EQ(server.connectstate(), static_cast<DWORD>(ERROR_IO_PENDING)) << "a client came and went";
    const OtherHandle client(name, GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_TRUE(client.opened()) << "the only instance was used up";
}

TEST(WindowsFiles, shouldRefuseANameHoldingALoneSurrogateRatherThanFixAnotherFile)
{
    TempDir dir;
    const auto other = dir.write("A\xef\xbf\xbd.PRJ", "/8203 other file"); // U+FFFD
    const std::wstring lone = (dir.path() / L"A\xD800.PRJ").wstring();
    const std::string name = quenlo::win::toutf8(lone, keep);

    EXPECT_NE(name, other);
    EXPECT_EQ(openerror(name).number(), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_TRUE(contains(openerror(name).what(), "lone UTF-16 surrogate")) << openerror(name).what();

    // And from the command line of quenlo-fix.exe, where names arrive in UTF-16.
    const char *exe = std::getenv("QUENLO_FIX_EXE");
    ASSERT_NE(exe, nullptr) << "QUENLO_FIX_EXE names quenlo-fix.exe";
    std::wstring command = L"quenlo-fix.exe \"" + lone + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(quenlo::test::fromutf8(exe).wstring().c_str(), command.data(), nullptr, nullptr,
                                 FALSE, 0, nullptr, nullptr, &startup, &process))
        << ::GetLastError();
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    EXPECT_EQ(status, 2u);
    EXPECT_EQ(readall(other), "/8203 other file");
}

TEST(WindowsFiles, shouldConvertNamesExactlyBothWays)
{
    const std::wstring names[] = {L"plain.PRJ", L"\u00e4\u00f6\u00fc \u65e5\u672c.PRJ", L"\U0001F600.PRJ"};
    for (const auto &name : names)
        EXPECT_EQ(quenlo::win::toutf16(quenlo::win::toutf8(name, keep), keep), name);
    EXPECT_THROW(quenlo::win::toutf16("\xff.PRJ", keep), quenlo::Error);
    EXPECT_THROW(quenlo::win::toutf16(quenlo::win::toutf8(L"\xDC00.PRJ", keep), keep), quenlo::Error);
}

// Another program's byte-range lock over the header, which Windows enforces
// on every read and write through other handles.
struct LockedHeader {
    LockedHeader(const std::string &path, bool exclusive)
        : other(quenlo::test::fromutf8(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE)
    {
        locked = other.opened()
                 && ::LockFileEx(other.handle, LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0), 0,
                                 10, 0, &range);
    }
    ~LockedHeader()
    {
        if (locked)
            ::UnlockFileEx(other.handle, 0, 10, 0, &range);
    }
    OtherHandle other;
    OVERLAPPED range{};
    bool locked = false;
};

TEST(WindowsFiles, shouldSayPlainlyWhenAReadOrWriteMeetsAnotherProgramsLock)
{
    TempDir dir;
    const auto path = dir.write("RANGE.PRJ", "/8203 range locked");
    quenlo::ProjectHeader prjheader{};
    RecordingMessages messages;

    {
        // Wine keeps byte-range locks between lockers only; Windows enforces
        // them on every read and write.
        const LockedHeader lock(path, true);
        const OtherHandle reader(quenlo::test::fromutf8(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        char byte = 0;
        DWORD got = 0;
        if (lock.locked && ::ReadFile(reader.handle, &byte, 1, &got, nullptr))
            GTEST_SKIP() << "this system does not enforce byte-range locks on reads";
    }

    for (const bool exclusive : {true, false}) {
        const LockedHeader lock(path, exclusive);
        ASSERT_TRUE(lock.locked) << ::GetLastError();
        try {
            quenlo::fixprojectfile(path, prjheader, messages);
            ADD_FAILURE() << "fixed a file another program holds locked";
        } catch (const quenlo::Error &error) {
            EXPECT_EQ(error.number(), ERROR_LOCK_VIOLATION) << error.what();
            EXPECT_TRUE(contains(error.what(), exclusive ? "cannot read: " : "cannot write: ")) << error.what();
            EXPECT_TRUE(contains(error.what(), "the file is locked by another program")) << error.what();
        }
    }

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(readall(path), "/8203 range locked");
}

TEST(WindowsFiles, shouldNameAnotherProgramInTheWayAtEveryStepAndKeepTheSystemsWords)
{
    struct Case {
        DWORD code;
        const char *what;
        std::string plainly;
    };
    const Case cases[] = {
        {ERROR_SHARING_VIOLATION, "cannot open for reading and writing", "the file is being used by another process ("},
        {ERROR_LOCK_VIOLATION, "cannot read", "the file is locked by another program ("},
        {ERROR_LOCK_VIOLATION, "cannot write", "the file is locked by another program ("},
        {ERROR_LOCK_VIOLATION, "cannot flush to disk", "the file is locked by another program ("},
        {ERROR_DISK_FULL, "cannot write", ""},
    };
    for (const auto &c : cases) {
        const auto text = quenlo::win::describe(c.code, c.what);
        const auto system = quenlo::win::systemmessage(c.code);
        EXPECT_EQ(text.rfind(std::string(c.what) + ": " + c.plainly, 0), 0u) << text;
        EXPECT_TRUE(contains(text, system)) << text;
        EXPECT_FALSE(system.empty() || system.back() == '\n');
    }
}

TEST(WindowsFiles, shouldLookAtAReadOnlyFileAndSayTheFixWouldBeRefused)
{
    TempDir dir;
    const auto path = dir.write("RO.PRJ", "/8203 read-only");
    const auto wide = quenlo::test::fromutf8(path).wstring();
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    quenlo::ProjectHeader prjheader{};

    const auto check = quenlo::checkprojectfile(path, prjheader);

    EXPECT_EQ(check.outcome, quenlo::FixOutcome::Fixed);
    ASSERT_TRUE(check.wouldfail.has_value());
    EXPECT_TRUE(contains(check.wouldfail->reason(), "the file is read-only")) << check.wouldfail->reason();
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readall(path), "/8203 read-only");
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
