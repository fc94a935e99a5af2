// Folder menus through the real shell: a private folder tree listed into a
// real menu, read while it is up, and targets looked at by the worker.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "base/win32/SendToService.h"
#include "base/win32/Text.h"
#include "foldermenu/win32/FolderMenus.h"

namespace lark::win {
namespace {

class NoShell : public IShellLauncher {
public:
    LaunchResult Execute(uintptr_t, const std::optional<std::string>&, const std::string&,
                         const std::optional<std::string>&, const std::optional<std::string>&, int) override {
        return {};
    }
};

FolderMenus* menus = nullptr;
std::function<void(HMENU)> whileOpen;
HMENU root = nullptr;

// The menu's owner, as a bar window is: its menu messages go to the menus.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITMENUPOPUP && !root) root = reinterpret_cast<HMENU>(wParam);
    LRESULT result = 0;
    if (menus && menus->HandleMenuMessage(message, wParam, lParam, result)) return result;
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && whileOpen) {
        auto look = std::exchange(whileOpen, nullptr);
        look(root);
        EndMenu();
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Each item's text, "(off)" after a disabled one.
std::vector<std::string> Texts(HMENU menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        const bool off = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED;
        texts.push_back(Narrow(text) + (off ? " (off)" : ""));
    }
    return texts;
}

class FolderMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"larkspan-foldermenu-" + std::to_wstring(GetCurrentProcessId());
        for (const wchar_t* sub : {L"", L"\\b", L"\\A10", L"\\A9"}) CreateDirectoryW((folder_ + sub).c_str(), nullptr);
        for (const wchar_t* file : {L"\\f10", L"\\f9", L"\\A10\\deep", L"\\h", L"\\s"}) MakeFile(folder_ + file);
        SetFileAttributesW((folder_ + L"\\h").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW((folder_ + L"\\s").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        WNDCLASSW cls{};
        cls.lpfnWndProc = OwnerProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"LarkspanFolderMenuTest";
        RegisterClassW(&cls);
        owner_ = CreateWindowExW(WS_EX_TOOLWINDOW, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                 nullptr, nullptr, cls.hInstance, nullptr);
        menus = &menus_;
    }
    void TearDown() override {
        menus = nullptr;
        DestroyWindow(owner_);
        std::wstring from = folder_ + L'\0';
        SHFILEOPSTRUCTW remove{};
        remove.wFunc = FO_DELETE;
        remove.pFrom = from.c_str();
        remove.fFlags = FOF_NO_UI;
        SHFileOperationW(&remove);
    }
    static void MakeFile(const std::wstring& path) {
        CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    // Opens the target's menu and hands its root menu to `look` while it is up.
    void Open(const std::wstring& target, std::function<void(HMENU)> look) {
        root = nullptr;
        bool looked = false;
        whileOpen = [&](HMENU menu) {
            looked = true;
            look(menu);
        };
        menus_.Open(Narrow(target), RectPx{0, 0, 10, 10}, reinterpret_cast<uintptr_t>(owner_), false);
        EXPECT_TRUE(looked) << "the menu never went idle";
    }
    // Pumps messages until the condition holds or ten seconds pass.
    static bool PumpUntil(const std::function<bool()>& condition) {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (!condition()) {
            if (GetTickCount64() > deadline) return false;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(10);
        }
        return true;
    }

    std::wstring folder_;
    HWND owner_ = nullptr;
    NoShell shell_;
    int found_ = 0;
    FolderMenus menus_{shell_, [this] { ++found_; }};
};

TEST_F(FolderMenuTest, AFolderListsFoldersFirstInLogicalOrderAndFillsSubMenusAsTheyOpen) {
    Open(folder_, [&](HMENU menu) {
        ASSERT_NE(menu, nullptr);
        // Hidden files stay hidden, as Explorer's default says.
        EXPECT_EQ(Texts(menu), (std::vector<std::string>{"A9", "A10", "b", "f9", "f10"}));
        HMENU a10 = GetSubMenu(menu, 1);
        HMENU empty = GetSubMenu(menu, 2);
        ASSERT_TRUE(a10 && empty);
        EXPECT_EQ(GetSubMenu(menu, 3), nullptr);
        EXPECT_EQ(GetMenuItemCount(a10), 0) << "filled before it opened";
        for (HMENU sub : {a10, empty}) SendMessageW(owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0);
        EXPECT_EQ(Texts(a10), (std::vector<std::string>{"deep"}));
        EXPECT_EQ(Texts(empty), (std::vector<std::string>{"(Empty) (off)"}));
    });
}

TEST_F(FolderMenuTest, AFolderThatCannotBeOpenedSaysWhyOnADisabledLine) {
    Open(folder_ + L"\\gone", [&](HMENU menu) {
        const std::vector<std::string> texts = Texts(menu);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0], "(Empty) (off)");
        EXPECT_GT(texts[0].size(), std::string(" (off)").size() + 5) << texts[0];
        EXPECT_EQ(texts[0].substr(texts[0].size() - 6), " (off)");
    });
}

TEST_F(FolderMenuTest, TargetsProveToBeFoldersAwayFromTheInterfaceThread) {
    // A shortcut to a folder opens that folder's menu too.
    SendToService(folder_).Write("To A9", LinkTarget{Narrow(folder_ + L"\\A9"), ""});
    SendToService(folder_).Write("To f9", LinkTarget{Narrow(folder_ + L"\\f9"), ""});
    const std::string folder = Narrow(folder_);
    const std::string link = folder + "\\To A9.lnk";
    EXPECT_TRUE(menus_.IsFolder("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
    EXPECT_FALSE(menus_.IsFolder("https://example.com/"));
    // Not known at first: the bar is told once they are. Targets are looked
    // at in turn, so the files have their answer when the folders have theirs.
    for (const std::string& file : {folder + "\\f9", folder + "\\To f9.lnk"}) EXPECT_FALSE(menus_.IsFolder(file));
    EXPECT_FALSE(menus_.IsFolder(folder));
    EXPECT_FALSE(menus_.IsFolder(link));
    ASSERT_TRUE(PumpUntil([&] { return menus_.IsFolder(folder) && menus_.IsFolder(link); }));
    EXPECT_GE(found_, 1);
    for (const std::string& file : {folder + "\\f9", folder + "\\To f9.lnk"}) EXPECT_FALSE(menus_.IsFolder(file));

    Open(Widen(link), [&](HMENU menu) {
        EXPECT_EQ(Texts(menu), (std::vector<std::string>{"(Empty) (off)"}));
    });
}

}  // namespace
}  // namespace lark::win
