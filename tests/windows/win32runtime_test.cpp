// The Win32 run-time where it needs no screen: twips and points in pixels,
// the filter string and the rest of what GetOpenFileNameW is given, what
// comes back from it and its failures through the window's selection, and
// the exact conversion between UTF-8 and UTF-16.
#include "error.h"
#include "frmquenlo.h"
#include "twips.h"
#include "utf16.h"
#include "win32dialogs.h"
#include "win32form.h"
#include "win32fonts.h"

#include "fakecontrols.h"
#include "recordingfiles.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cderr.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

using quenlo::test::TempDir;
using namespace std::string_literals;

constexpr auto refuse = quenlo::win::LoneSurrogate::refuse;

namespace {

const std::wstring kProjectFilter = L"MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)\0*.PRJ\0\0"s;

struct PixelCase {
    int twips;
    int dpi;
    int pixels;
};

TEST(Win32Runtime, shouldTurnTwipsIntoPixelsAtTheWindowsDpi)
{
    const PixelCase cases[] = {
        {6435, 96, 429}, {1305, 96, 87},   {6435, 120, 536}, {1305, 120, 109}, {6435, 144, 644},
        {1305, 144, 131}, {6435, 192, 858}, {1305, 192, 174}, {15, 96, 1},     {7, 96, 0},
        {8, 96, 1},       {855, 144, 86},   {0, 144, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quenlo::pixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " dpi";
}

TEST(Win32Runtime, shouldGiveFontHeightsInPixelsAtTheWindowsDpi)
{
    EXPECT_EQ(quenlo::fontheight(8.25, 96), -11);
    EXPECT_EQ(quenlo::fontheight(8.0, 96), -11);
    EXPECT_EQ(quenlo::fontheight(7.75, 96), -10);
    EXPECT_EQ(quenlo::fontheight(8.25, 144), -17);
    EXPECT_EQ(quenlo::fontheight(8.0, 144), -16);
    EXPECT_EQ(quenlo::fontheight(8.0, 192), -21);
}

TEST(Win32Runtime, shouldBuildTheFilterStringAsGetOpenFileNameTakesIt)
{
    using quenlo::FileFilter;
    EXPECT_EQ(quenlo::win32filter({{"MIRD 8.86/8203, 8.88/8203 project files (*.PRJ)", {"*.PRJ"}}}), kProjectFilter);
    EXPECT_EQ(quenlo::win32filter({{"Projects", {"*.PRJ", "*.BAK"}}, {"\xc3\x9c" "berall", {"*.*"}}}),
              L"Projects\0*.PRJ;*.BAK\0\u00dc" L"berall\0*.*\0\0"s);
    EXPECT_EQ(quenlo::win32filter({}), std::wstring(1, L'\0'));
}

struct TextCase {
    const char *utf8;
    const wchar_t *utf16;
};

TEST(Win32Runtime, shouldConvertBetweenUtf8AndUtf16Exactly)
{
    const TextCase cases[] = {
        {"", L""},
        {"GOOD.PRJ", L"GOOD.PRJ"},
        {"C:\\Projekte\\\xc3\x84nderung.PRJ", L"C:\\Projekte\\\u00c4nderung.PRJ"},
        {"\xe6\x97\xa5\xe6\x9c\xac.PRJ", L"\u65e5\u672c.PRJ"},
        {"\xf0\x9f\x98\x80.PRJ", L"\xd83d\xde00.PRJ"}, // beyond the BMP: a surrogate pair
    };
    for (const auto &c : cases) {
        EXPECT_EQ(quenlo::win::toutf16(c.utf8, refuse), c.utf16) << c.utf8;
        EXPECT_EQ(quenlo::win::toutf8(c.utf16, refuse), c.utf8) << c.utf8;
    }
}

TEST(Win32Runtime, shouldRefuseWhatCannotBeConvertedExactly)
{
    const auto refused = [](auto convert) {
        try {
            convert();
        } catch (const quenlo::Error &error) {
            return error.number() == ERROR_NO_UNICODE_TRANSLATION && error.subject() == "the name";
        }
        return false;
    };
    using quenlo::win::toutf8;
    EXPECT_TRUE(refused([] { toutf8(std::wstring(L"A\xd800" L"B.PRJ"), refuse, "the name"); })); // lone high
    EXPECT_TRUE(refused([] { toutf8(std::wstring(L"\xdc00.PRJ"), refuse, "the name"); }));       // lone low
    EXPECT_TRUE(refused([] { toutf8(std::wstring(L"X\xd83d"), refuse, "the name"); }));          // cut short
    EXPECT_TRUE(refused([] { quenlo::win::toutf16("\xff.PRJ", refuse, "the name"); }));
    EXPECT_TRUE(refused([] { quenlo::win::toutf16("\xc3", refuse, "the name"); }));
    EXPECT_TRUE(refused([] { quenlo::win::toutf16("\xed\xa0\x80", refuse, "the name"); })); // an encoded surrogate
    EXPECT_EQ(quenlo::win::toutf16lossy("A\xff"), L"A\xfffd");
}

// Answers in the place of GetOpenFileNameW and CommDlgExtendedError, and
// keeps what the dialog was given.
struct FakeDialog {
    static inline std::wstring chosen;
    static inline bool ok = true;
    static inline DWORD error = 0;
    static inline OPENFILENAMEW given{};
    static inline std::wstring startname;
    static inline std::wstring title;
    static inline std::wstring filter;

    static BOOL WINAPI show(OPENFILENAMEW *dialog)
    {
        given = *dialog;
        startname = dialog->lpstrFile;
        title = dialog->lpstrTitle ? dialog->lpstrTitle : L"";
        filter.clear();
        for (const wchar_t *entry = dialog->lpstrFilter; entry && *entry; entry += wcslen(entry) + 1)
            filter.append(entry).push_back(L'\0');
        filter.push_back(L'\0');
        if (!ok)
            return FALSE;
        if (chosen.size() >= dialog->nMaxFile)
            return FALSE;
        chosen.copy(dialog->lpstrFile, chosen.size());
        dialog->lpstrFile[chosen.size()] = L'\0';
        return TRUE;
    }
    static DWORD WINAPI lasterror() { return error; }

    static void answer(std::wstring name) { chosen = std::move(name), ok = true, error = 0; }
    static void fail(DWORD code) { ok = false, error = code; }
};

struct Window {
    quenlo::test::FakeControls controls{quenlo::frmquenlo::description()};
    quenlo::Win32FileDialogs dialogs{HWND_DESKTOP, {FakeDialog::show, FakeDialog::lasterror}};
    quenlo::test::RecordingMessages messages;
    quenlo::frmquenlo form{{controls, dialogs, messages}};

    std::string pathbox() { return controls.control(quenlo::frmquenlo::txtinput).text(); }
    bool fixenabled() { return controls.control(quenlo::frmquenlo::cmdfix).enabled(); }
    void select() { form.click(quenlo::frmquenlo::cmdselect); }
};

TEST(Win32OpenDialog, shouldShowTheTitleFilterAndLastNameWithRoomForLongPathsAndNoMustExist)
{
    Window w;
    FakeDialog::answer(L"C:\\Daten\\\u00c4LTER.PRJ");
    w.select();
    FakeDialog::answer(L"C:\\Daten\\NEU.PRJ");
    w.select();

    EXPECT_EQ(FakeDialog::title, L"Open Project");
    EXPECT_EQ(FakeDialog::filter, kProjectFilter);
    EXPECT_EQ(FakeDialog::startname, L"C:\\Daten\\\u00c4LTER.PRJ");
    EXPECT_EQ(FakeDialog::given.hwndOwner, HWND_DESKTOP);
    EXPECT_GE(FakeDialog::given.nMaxFile, 32768u);
    EXPECT_EQ(FakeDialog::given.Flags & (OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_CREATEPROMPT), 0u);
    EXPECT_EQ(w.pathbox(), "C:\\Daten\\NEU.PRJ");
    EXPECT_EQ(w.form.selectedpath(), "C:\\Daten\\NEU.PRJ");
}

TEST(Win32OpenDialog, shouldChangeNothingOnACancel)
{
    Window w;
    FakeDialog::answer(L"C:\\Daten\\ERST.PRJ");
    w.select();
    FakeDialog::fail(0); // CommDlgExtendedError() == 0: the user cancelled
    w.select();

    EXPECT_EQ(w.pathbox(), "C:\\Daten\\ERST.PRJ");
    EXPECT_EQ(w.form.selectedpath(), "C:\\Daten\\ERST.PRJ");
}

TEST(Win32OpenDialog, shouldRaiseTheDialogsOwnErrorAndGoOnWithTheLastName)
{
    quenlo::Win32FileDialogs dialogs{HWND_DESKTOP, {FakeDialog::show, FakeDialog::lasterror}};
    FakeDialog::fail(CDERR_DIALOGFAILURE);
    try {
        dialogs.getopenfilename({"Open Project", {}, {}});
        ADD_FAILURE() << "a failed dialog returned";
    } catch (const quenlo::Error &error) {
        EXPECT_EQ(error.number(), CDERR_DIALOGFAILURE);
    }

    // Through the window's selection: every later step still runs, on the
    // name the dialog kept from before.
    Window w;
    FakeDialog::answer(L"C:\\Daten\\ERST.PRJ");
    w.select();
    FakeDialog::fail(FNERR_BUFFERTOOSMALL);
    w.select();
    EXPECT_EQ(w.pathbox(), "C:\\Daten\\ERST.PRJ");
    EXPECT_TRUE(w.fixenabled());
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(Win32OpenDialog, shouldTakeAChosenNameThatIsNotUtf16AsAFailureNotAPath)
{
    Window w;
    FakeDialog::answer(std::wstring(L"C:\\Daten\\A\xd800.PRJ"));
    w.select();

    EXPECT_EQ(w.pathbox(), "");
    EXPECT_EQ(w.form.selectedpath(), "");
}

TEST(Win32OpenDialog, shouldFixAFileChosenWithAPathLongerThan260Characters)
{
    TempDir dir;
    std::wstring folder = dir.path().wstring();
    for (int level = 0; level < 6; ++level) {
        folder += L"\\" + std::wstring(50, wchar_t(L'a' + level));
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) << ::GetLastError();
    }
    const std::wstring file = folder + L"\\LONG.PRJ";
    {
        const HANDLE out = ::CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(out, INVALID_HANDLE_VALUE) << ::GetLastError();
        DWORD put = 0;
        ::WriteFile(out, "/8203 long", 10, &put, nullptr);
        ::CloseHandle(out);
    }
    ASSERT_GT(file.size(), 260u);

    Window w;
    FakeDialog::answer(file);
    w.select();
    w.form.click(quenlo::frmquenlo::cmdfix);

    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.shown[0].text, "Project file successfully fixed.");
    EXPECT_EQ(quenlo::test::readall(std::filesystem::path(L"\\\\?\\" + file)), "/8202 long");
}

} // namespace

namespace {

// quenlo.exe as a file: what Windows reads from it before it runs.
class QuenloExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *exe = std::getenv("QUENLO_EXE");
        ASSERT_NE(exe, nullptr) << "QUENLO_EXE names quenlo.exe";
        path = quenlo::win::toutf16(exe, refuse);
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << ::GetLastError();
    }
    void TearDown() override
    {
        if (module)
            ::FreeLibrary(module);
    }
    std::string manifest() const
    {
        const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
        if (!found)
            return {};
        const auto *data = static_cast<const char *>(::LockResource(::LoadResource(module, found)));
        return std::string(data, ::SizeofResource(module, found));
    }
    std::wstring version(const std::wstring &name) const
    {
        DWORD ignored = 0;
        std::vector<char> data(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
        wchar_t *value = nullptr;
        UINT length = 0;
        if (data.empty() || !::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data())
            || !::VerQueryValueW(data.data(), (L"\\StringFileInfo\\040904b0\\" + name).c_str(),
                                 reinterpret_cast<void **>(&value), &length)
            || length == 0)
            return {};
        return std::wstring(value, length - 1);
    }

    std::wstring path;
    HMODULE module = nullptr;
};

TEST_F(QuenloExe, shouldCarryAManifestForHighDpiVisualStylesWindows10AndLongPaths)
{
    const auto text = manifest();
    for (const char *wanted : {"PerMonitorV2", "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "<longPathAware", ">true</longPathAware>",
                               "asInvoker"})
        EXPECT_NE(text.find(wanted), std::string::npos) << wanted << " is missing from the manifest:\n" << text;
}

TEST_F(QuenloExe, shouldCarryVersionOneInItsVersionRecord)
{
    EXPECT_EQ(version(L"FileVersion"), L"1.00");
    EXPECT_EQ(version(L"ProductVersion"), L"1.00");
}

} // namespace

namespace {

// The window built for real, but never shown: where its controls are, at
// the DPI it starts with and after a move to a screen of 144 dpi, and how
// keys move between them.
class BuiltWindow : public ::testing::Test {
protected:
    quenlo::Win32Form form{quenlo::frmquenlo::description()};

    SIZE client() const
    {
        RECT area{};
        ::GetClientRect(form.window(), &area);
        return {area.right, area.bottom};
    }
    RECT placed(std::string_view name, int index = -1) const
    {
        RECT box{};
        ::GetWindowRect(form.childwindow(name, index), &box);
        ::MapWindowPoints(HWND_DESKTOP, form.window(), reinterpret_cast<POINT *>(&box), 2);
        return box;
    }
    void expectplaced(int dpi) const
    {
        for (const auto &control : quenlo::frmquenlo::description().controls) {
            const RECT box = placed(control.name, control.index);
            const auto want = quenlo::pixels(control.left, control.top, control.width, control.height, dpi);
            EXPECT_EQ(box.left, want.left) << control.name << control.index << " at " << dpi;
            EXPECT_EQ(box.top, want.top) << control.name << control.index << " at " << dpi;
            EXPECT_EQ(box.right - box.left, want.width) << control.name << control.index << " at " << dpi;
            EXPECT_EQ(box.bottom - box.top, want.height) << control.name << control.index << " at " << dpi;
        }
    }
};

TEST_F(BuiltWindow, shouldPlaceEveryControlAtItsTwipsAndLayOutAgainForANewDpi)
{
    const int dpi = static_cast<int>(::GetDpiForWindow(form.window()));
    EXPECT_EQ(client().cx, quenlo::pixels(6435, dpi));
    EXPECT_EQ(client().cy, quenlo::pixels(1305, dpi));
    expectplaced(dpi);
    // Fix's font: the bitmap MS Sans Serif at 96 dpi only, else its TrueType successor.
    const auto fixfont = [&] {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(form.childwindow("cmdfix"), WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        return std::wstring(font.lfFaceName) + L' ' + std::to_wstring(font.lfHeight) + L' '
               + std::to_wstring(font.lfWeight);
    };
    EXPECT_TRUE(dpi != 96 || fixfont() == L"MS Sans Serif -11 700");

    RECT suggested{10, 10, 700, 200};
    ::SendMessageW(form.window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    EXPECT_EQ(client().cx, 644);
    EXPECT_EQ(client().cy, 131);
    expectplaced(144);
    EXPECT_EQ(fixfont(), L"Microsoft Sans Serif -17 700");
}

TEST_F(BuiltWindow, shouldTabThroughTheButtonsAndThePathBoxAndLetEnterPressOnlyTheFocusedButton)
{
    const HWND select = form.childwindow("cmdselect");
    const HWND path = form.childwindow("txtinput");
    const HWND fix = form.childwindow("cmdfix");
    const auto next = [&](HWND from) { return ::GetNextDlgTabItem(form.window(), from, FALSE); };

    EXPECT_EQ(next(select), path);
    EXPECT_EQ(next(path), select); // Fix is disabled at start
    form.control(quenlo::frmquenlo::cmdfix).setenabled(true);
    EXPECT_EQ(next(path), fix);
    EXPECT_EQ(next(fix), select);
    EXPECT_EQ(::GetDlgCtrlID(select) == IDOK || ::GetDlgCtrlID(fix) == IDOK, false);
    EXPECT_EQ(::GetDlgCtrlID(select) == IDCANCEL || ::GetDlgCtrlID(fix) == IDCANCEL, false);
    // Enter presses the focused button and nothing else.
    EXPECT_EQ(::SendMessageW(form.window(), DM_GETDEFID, 0, 0), 0);
    ::SetFocus(fix);
    EXPECT_EQ(::SendMessageW(form.window(), DM_GETDEFID, 0, 0), MAKELRESULT(::GetDlgCtrlID(fix), DC_HASDEFID));
    ::SetFocus(path);
    EXPECT_EQ(::SendMessageW(form.window(), DM_GETDEFID, 0, 0), 0);
}

// A drop as Explorer sends it: the names in a DROPFILES block.
HDROP dropof(const std::vector<std::wstring> &names)
{
    std::wstring list;
    for (const auto &name : names)
        list += name + L'\0';
    list += L'\0';
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto *drop = static_cast<DROPFILES *>(::GlobalLock(memory));
    *drop = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};
    list.copy(reinterpret_cast<wchar_t *>(drop + 1), list.size());
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(BuiltWindow, shouldTakeOneFileDroppedOnTheWindowAndRefuseTheRest)
{
    quenlo::frmquenlo code{form.context()};
    form.attach(code);
    TempDir dir;
    const std::wstring file = dir.path().wstring() + L"\\Dropped \u00c4.PRJ";
    const struct {
        std::vector<std::wstring> names;
        bool taken;
    } cases[] = {
        {{dir.path().wstring()}, false}, // a folder
        {{file, dir.path().wstring() + L"\\B.PRJ"}, false},
        {{file}, true},
    };
    for (const auto &c : cases) {
        ::SendMessageW(form.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropof(c.names)), 0);
        const std::string path = c.taken ? quenlo::win::toutf8(file, refuse) : "";
        EXPECT_EQ(form.control(quenlo::frmquenlo::txtinput).text(), path) << c.names.size() << " names";
        EXPECT_EQ(code.selectedpath(), path) << c.names.size() << " names";
        EXPECT_EQ(form.control(quenlo::frmquenlo::cmdfix).enabled(), c.taken) << c.names.size() << " names";
    }
}

TEST_F(BuiltWindow, shouldPutTheLabelThatNamesThePathBoxRightBeforeIt)
{
    // Assistive tools name a control by the label before it.
    EXPECT_EQ(::GetWindow(form.childwindow("txtinput"), GW_HWNDPREV), form.childwindow("Label1", 0));
}

} // namespace
