// The About box with the real program's resources (this test program has
// none), and the registry reader on a key of the test's own under HKCU.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/RuntimeError.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"
#include "dialogs/SysInfo.h"
#include "base/win32/Services.h"
#include "dialogs/win32/frmAbout.h"
#include "dialogs/win32/frmMessage.h"
#include "dialogs/win32/RegistryReader.h"
#include "version.h"

namespace lark::win {
namespace {

using namespace std::string_literals;

// larkspan.exe is built into the same folder as this test program.
std::wstring ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"larkspan.exe";
}

std::wstring OwnPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

TEST(VersionInfoTest, TheProgramsOwnVersionInformationIsRead) {
    ASSERT_NE(GetFileAttributesW(ProgramPath().c_str()), INVALID_FILE_ATTRIBUTES) << "build larkspan.exe first";
    const VersionInfo info = ReadVersionInfo(ProgramPath());
    EXPECT_EQ(VersionText(info), "Version " LARKSPAN_VERSION_STRING);
    EXPECT_EQ(info.productName, "Larkspan");
    EXPECT_EQ(info.description, "Larkspan application-launch bar");
    EXPECT_EQ(info.copyright, "Copyright (C) 2026 Brindlewick. MIT License.");
}

TEST(VersionInfoTest, AFileWithoutVersionInformationGivesEmptyTexts) {
    const VersionInfo info = ReadVersionInfo(OwnPath());
    EXPECT_EQ(VersionText(info), "Version 0.0.0");
    EXPECT_EQ(info.productName, "");
    EXPECT_EQ(info.copyright, "");
    EXPECT_EQ(ReadVersionInfo(L"C:\\no\\such\\file.exe").description, "");
}

class RegistryReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyName_ = "Software\\LarkspanTest-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(GetTickCount64());
    }
    void TearDown() override {
        const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, Widen(keyName_).c_str());
        EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
    }

    void Set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Widen(keyName_).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const LSTATUS status = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
        ASSERT_EQ(status, ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, const std::wstring& text, bool withNul) {
        // The registry adds a NUL that follows the counted text in memory,
        // so a value stored without one needs something else there.
        const std::wstring source = text + (withNul ? L'\0' : L'!');
        Set(name, REG_SZ, source.c_str(), static_cast<DWORD>((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t)));
    }
    bool Get(const std::string& name, std::string& value) {
        return GetKeyValue(reader_, RegistryRoot::CurrentUser, keyName_, name, value);
    }

    std::string keyName_;
    RegistryReader reader_;
};

TEST_F(RegistryReaderTest, TextStoredWithOrWithoutItsNulComesBackWholeInUtf8) {
    SetText(L"With", L"C:\\Program Files\\Gr\u00fc\u00dfe\\info.exe", true);
    SetText(L"Without", L"C:\\Program Files\\Gr\u00fc\u00dfe\\info.exe", false);
    std::string value;
    ASSERT_TRUE(Get("With", value));
    EXPECT_EQ(value, "C:\\Program Files\\Gr\xC3\xBC\xC3\x9F" "e\\info.exe");
    value.clear();
    ASSERT_TRUE(Get("Without", value));
    EXPECT_EQ(value, "C:\\Program Files\\Gr\xC3\xBC\xC3\x9F" "e\\info.exe");

    // The raw bytes keep the stored NUL; the reading rules drop it.
    IRegistryReader::Key key{};
    ASSERT_TRUE(reader_.Open(RegistryRoot::CurrentUser, keyName_, key));
    std::string buffer(16, '\0');
    uint32_t type = 0, size = 0;
    SetText(L"Short", L"abc", true);
    ASSERT_TRUE(reader_.Query(key, "Short", type, buffer, size));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(buffer.substr(0, size), "abc\0"s);
    SetText(L"Bare", L"abc", false);
    ASSERT_TRUE(reader_.Query(key, "Bare", type, buffer, size));
    EXPECT_EQ(buffer.substr(0, size), "abc");
    reader_.Close(key);
}

TEST_F(RegistryReaderTest, ADwordComesBackAsItsDecimalValue) {
    const DWORD answer = 42, all = 0xFFFFFFFFu, mixed = 0x01020304u;
    Set(L"Answer", REG_DWORD, &answer, sizeof answer);
    Set(L"All", REG_DWORD, &all, sizeof all);
    Set(L"Mixed", REG_DWORD, &mixed, sizeof mixed);
    std::string value;
    ASSERT_TRUE(Get("Answer", value));
    EXPECT_EQ(value, "42");
    ASSERT_TRUE(Get("All", value));
    EXPECT_EQ(value, "4294967295");
    ASSERT_TRUE(Get("Mixed", value));
    EXPECT_EQ(value, "16909060");
}

TEST_F(RegistryReaderTest, MissingAndOversizedValuesAreNotRead) {
    std::string value = "old";
    EXPECT_FALSE(Get("Anything", value)) << "no key yet";
    EXPECT_EQ(value, "");

    // The room is 1024 characters, a stored NUL included.
    SetText(L"Fits", std::wstring(1023, L'x'), true);
    SetText(L"FitsBare", std::wstring(1024, L'x'), false);
    SetText(L"TooLong", std::wstring(1024, L'x'), true);
    ASSERT_TRUE(Get("Fits", value));
    EXPECT_EQ(value, std::string(1023, 'x'));
    ASSERT_TRUE(Get("FitsBare", value));
    EXPECT_EQ(value, std::string(1024, 'x'));
    value = "old";
    EXPECT_FALSE(Get("TooLong", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(Get("Missing", value));

    // Binary data is read but leaves the text alone.
    const BYTE bytes[] = {1, 2, 3};
    Set(L"Binary", REG_BINARY, bytes, sizeof bytes);
    value = "old";
    EXPECT_TRUE(Get("Binary", value));
    EXPECT_EQ(value, "old");
}

TEST_F(RegistryReaderTest, AnEmptyValueIsAnError) {
    Set(L"Empty", REG_SZ, L"", 0);
    std::string value;
    EXPECT_THROW(Get("Empty", value), RuntimeError);
}

// --- the About box ---------------------------------------------------------

struct Launch {
    uintptr_t owner;
    std::optional<std::string> verb;
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int show;
};

class RecordingLauncher : public IShellLauncher {
public:
    LaunchResult Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                         const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                         int showCommand) override {
        launches.push_back({owner, verb, file, parameters, directory, showCommand});
        return {};
    }
    std::vector<Launch> launches;
};

class RecordingBoxes : public IMessageBox {
public:
    BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon, BoxButtons buttons) override {
        shown.push_back(text + "|" + title + "|" + (buttons == BoxButtons::Ok ? "ok" : "other"));
        if (onShow) onShow();
        return BoxAnswer::Ok;
    }
    std::vector<std::string> shown;
    std::function<void()> onShow;
};

std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return Narrow(text);
}

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Runs the step once from a thread timer, that is from inside the box's
// own message loop.
std::function<void()> g_step;
void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto step = std::move(g_step);
    g_step = nullptr;
    if (step) step();
}

// A window of the program's, which the modal box must disable. Like the
// bar, it keeps the box from being the last window, whose going ends the
// program.
class TestBar : public Form {
public:
    explicit TestBar(FormRegistry& registry) : Form(registry) {}
    void Load() {
        CreateFormWindow(WindowSpec{L"LarkspanTestBar", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, L"bar",
                                    RECT{0, 0, 100, 30}});
    }
};

BOOL CALLBACK CloseWindow(HWND window, LPARAM) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ADD_FAILURE() << "the box was still open after 10 s";
    EnumThreadWindows(GetCurrentThreadId(), &CloseWindow, 0);
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        bar_.Load();
    }
    void TearDown() override {
        about_.Unload();
        bar_.Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // Shows the box modally and runs step from inside its loop; the step
    // must close the box. A watchdog closes it when the step did not.
    void ShowModalWith(std::function<void()> step) {
        g_step = std::move(step);
        SetTimer(nullptr, 0, 50, &RunStep);
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, &Watchdog);
        about_.ShowModal(launcher_, boxes_);
        KillTimer(nullptr, watchdog);
    }
    HWND Item(int id) const { return GetDlgItem(about_.Handle(), id); }
    void PressKey(WPARAM key) const { PostMessageW(GetFocus(), WM_KEYDOWN, key, 1); }

    FormRegistry forms_;
    TestBar bar_{forms_};
    frmAbout about_{forms_, nullptr, ProgramPath()};
    RecordingLauncher launcher_;
    RecordingBoxes boxes_;
};

TEST_F(AboutBoxTest, TheProgressRoleShowsTheFullBoxWithTheBarAndNoButtonsOnceALoadTakesAWhile) {
    unsigned long long now = 1000;  // the box's clock, moved by hand
    about_.SetClock([&] { return now; });
    // A quick load never makes the box.
    about_.SetProgressDelay(100);
    about_.ShowProgress(10);
    now += 99;
    about_.SetProgress(1);
    EXPECT_FALSE(about_.Loaded());
    about_.Unload();
    now += 150;
    about_.SetProgress(2);
    EXPECT_FALSE(about_.Loaded()) << "a progress step after the load ended";

    // The bar keeps the keyboard while the box shows and after it goes.
    SetForegroundWindow(bar_.Handle());
    ASSERT_EQ(GetActiveWindow(), bar_.Handle());
    about_.ShowProgress(10);
    now += 100;
    about_.SetProgress(3);
    ASSERT_TRUE(about_.Loaded());
    EXPECT_EQ(GetActiveWindow(), bar_.Handle()) << "the progress window took the keyboard";
    EXPECT_EQ(SendMessageW(about_.ProgressBar1(), PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(SendMessageW(about_.ProgressBar1(), PBM_GETRANGE, FALSE, 0), 10);
    EXPECT_EQ(TextOf(about_.Handle()), "About Larkspan");
    EXPECT_EQ(TextOf(Item(frmAbout::kLblTitle)), "Larkspan");
    EXPECT_EQ(TextOf(Item(frmAbout::kLblVersion)), "Version " LARKSPAN_VERSION_STRING);
    EXPECT_EQ(TextOf(Item(frmAbout::kLblDescription)), "Larkspan application-launch bar");
    EXPECT_EQ(TextOf(Item(frmAbout::kLblCopy)), "Copyright (C) 2026 Brindlewick. MIT License.");
    // The licence it ships under, not a warning against copying.
    EXPECT_NE(TextOf(Item(frmAbout::kLblDisclaimer)).find("MIT License"), std::string::npos);
    EXPECT_EQ(TextOf(Item(frmAbout::kLabel1)), "https://www.brindlewick.example/larkspan");
    EXPECT_NE(SendMessageW(Item(frmAbout::kImage1), STM_GETICON, 0, 0), 0) << "the program's icon";
    EXPECT_NE(SendMessageW(Item(frmAbout::kPicIcon), STM_GETICON, 0, 0), 0) << "the logo";
    EXPECT_TRUE(Topmost(about_.Handle()));
    EXPECT_TRUE(IsWindowVisible(about_.ProgressBar1()));
    EXPECT_FALSE(IsWindowEnabled(Item(frmAbout::kCmdOK)));
    EXPECT_FALSE(IsWindowEnabled(Item(frmAbout::kCmdSysInfo)));
    EXPECT_TRUE(IsWindowEnabled(bar_.Handle())) << "not modal";

    RECT box{};
    GetWindowRect(about_.Handle(), &box);
    EXPECT_NEAR((box.left + box.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // Moved onto a monitor at 150 %: the system's rectangle, every control
    // made again at that DPI, the progress where it was.
    now += 14;
    about_.SetProgress(9);  // within 15 ms of the last step: not shown
    now += 1;
    about_.SetProgress(4);
    RECT ok{};
    GetWindowRect(Item(frmAbout::kCmdOK), &ok);
    RECT larger{10, 20, 10 + (box.right - box.left) * 3 / 2, 20 + (box.bottom - box.top) * 3 / 2};
    SendMessageW(about_.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&larger));
    RECT moved{}, okAfter{};
    GetWindowRect(about_.Handle(), &moved);
    GetWindowRect(Item(frmAbout::kCmdOK), &okAfter);
    EXPECT_EQ(moved.left, 10);
    EXPECT_EQ(moved.bottom - moved.top, larger.bottom - larger.top);
    EXPECT_EQ(okAfter.bottom - okAfter.top, (ok.bottom - ok.top) * 3 / 2);
    EXPECT_EQ(TextOf(Item(frmAbout::kLblVersion)), "Version " LARKSPAN_VERSION_STRING);
    // The logo's own frame for 150 %.
    const auto logo = reinterpret_cast<HICON>(SendMessageW(Item(frmAbout::kPicIcon), STM_GETICON, 0, 0));
    ICONINFO logoBits{};
    ASSERT_TRUE(logo && GetIconInfo(logo, &logoBits)) << "the logo";
    BITMAP logoBitmap{};
    GetObjectW(logoBits.hbmColor, sizeof logoBitmap, &logoBitmap);
    DeleteObject(logoBits.hbmColor);
    DeleteObject(logoBits.hbmMask);
    EXPECT_EQ(logoBitmap.bmWidth, 96);
    EXPECT_TRUE(IsWindowVisible(about_.ProgressBar1()));
    EXPECT_EQ(SendMessageW(about_.ProgressBar1(), PBM_GETPOS, 0, 0), 4);
    EXPECT_FALSE(IsWindowEnabled(Item(frmAbout::kCmdOK)));

    about_.Unload();
    EXPECT_FALSE(about_.Loaded());
    EXPECT_EQ(GetActiveWindow(), bar_.Handle());
}

TEST_F(AboutBoxTest, ShownModallyAfterALoadItIsFreshDisablesTheProgramAndClosesOnEsc) {
    about_.ShowProgress(10);
    HWND seen = nullptr;
    bool barEnabled = true, progressVisible = true, okEnabled = false, sysInfoEnabled = false;
    ShowModalWith([&] {
        seen = about_.Handle();
        barEnabled = IsWindowEnabled(bar_.Handle());
        progressVisible = IsWindowVisible(about_.ProgressBar1());
        okEnabled = IsWindowEnabled(Item(frmAbout::kCmdOK));
        sysInfoEnabled = IsWindowEnabled(Item(frmAbout::kCmdSysInfo));
        PressKey(VK_ESCAPE);
    });
    EXPECT_NE(seen, nullptr) << "the program's timers ran while the box was up";
    EXPECT_FALSE(barEnabled);
    EXPECT_FALSE(progressVisible);
    EXPECT_TRUE(okEnabled);
    EXPECT_TRUE(sysInfoEnabled);
    EXPECT_FALSE(about_.Loaded());
    EXPECT_TRUE(IsWindowEnabled(bar_.Handle()));
}

TEST_F(AboutBoxTest, EnterAndOkCloseIt) {
    ShowModalWith([&] { PressKey(VK_RETURN); });
    EXPECT_FALSE(about_.Loaded());
    ShowModalWith([&] { SendMessageW(Item(frmAbout::kCmdOK), BM_CLICK, 0, 0); });
    EXPECT_FALSE(about_.Loaded());
    EXPECT_TRUE(IsWindowEnabled(bar_.Handle()));
}

TEST_F(AboutBoxTest, TheLinkAndTheLogoOpenTheWebAddressOwnedByTheBox) {
    HWND box = nullptr;
    ShowModalWith([&] {
        box = about_.Handle();
        SendMessageW(Item(frmAbout::kLabel1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(Item(frmAbout::kLabel1), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        SendMessageW(Item(frmAbout::kPicIcon), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(Item(frmAbout::kPicIcon), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PressKey(VK_ESCAPE);
    });
    ASSERT_EQ(launcher_.launches.size(), 2u);
    for (const Launch& l : launcher_.launches) {
        EXPECT_EQ(l.owner, reinterpret_cast<uintptr_t>(box));
        EXPECT_EQ(l.verb, "open");
        EXPECT_EQ(l.file, "https://www.brindlewick.example/larkspan");
        EXPECT_EQ(l.show, 5);
    }

    // "Open log" is there once something was logged, and opens the file.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring log = std::wstring(temp) + L"larkspan-about-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log.c_str());
    about_.SetLogFile(log);
    bool enabled = true;
    ShowModalWith([&] {
        enabled = IsWindowEnabled(Item(frmAbout::kCmdOpenLog));
        PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(enabled) << "Open log without a log";
    CloseHandle(CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ShowModalWith([&] {
        box = about_.Handle();
        enabled = IsWindowEnabled(Item(frmAbout::kCmdOpenLog));
        SendMessageW(Item(frmAbout::kCmdOpenLog), BM_CLICK, 0, 0);
        PressKey(VK_ESCAPE);
    });
    DeleteFileW(log.c_str());
    EXPECT_TRUE(enabled);
    ASSERT_EQ(launcher_.launches.size(), 3u);
    EXPECT_EQ(launcher_.launches[2].owner, reinterpret_cast<uintptr_t>(box));
    EXPECT_EQ(launcher_.launches[2].verb, "open");
    EXPECT_EQ(launcher_.launches[2].file, Narrow(log));
}

TEST_F(AboutBoxTest, SystemInfoWithoutTheRegistryKeysTellsTheUserAboveTheBox) {
    // Wine's registry names no system-information program.
    bool topmostDuringMessage = true;
    boxes_.onShow = [&] { topmostDuringMessage = Topmost(about_.Handle()); };
    bool topmostAfter = false;
    ShowModalWith([&] {
        SendMessageW(Item(frmAbout::kCmdSysInfo), BM_CLICK, 0, 0);
        topmostAfter = Topmost(about_.Handle());
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(boxes_.shown, std::vector<std::string>{"System Information Is Unavailable At This Time|Larkspan|ok"});
    EXPECT_FALSE(topmostDuringMessage) << "the ownerless message would be hidden behind the box";
    EXPECT_TRUE(topmostAfter);
}

// The modeless edge message answers the keys of a dialog, which reach it
// through the program's own loop (IsDialogMessage there, as here); it
// names no other program.
TEST(EdgeMessageTest, EnterAndEscapeCloseItThroughTheDialogKeys) {
    FormRegistry forms;
    MousePointerService pointer;
    frmMessage message(forms, pointer);
    EXPECT_EQ(std::wstring(frmMessage::Text()).find(L"Zentrol"), std::wstring::npos);
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        message.Show();
        ASSERT_TRUE(message.Loaded());
        HWND ok = GetFocus();
        ASSERT_TRUE(ok && GetParent(ok) == message.Handle()) << "the OK button has no focus";
        PostMessageW(ok, WM_KEYDOWN, key, 1);
        const ULONGLONG deadline = GetTickCount64() + 10000;
        MSG msg;
        while (message.Loaded() && GetTickCount64() < deadline) {
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                continue;
            }
            if (IsDialogMessageW(message.Handle(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        EXPECT_FALSE(message.Loaded()) << "key " << key;
    }
    while (PeekMessageW(nullptr, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace
}  // namespace lark::win
