// What a command meets on screen: the owner-drawn popup menu, from inside
// its own loop, and the shell that opens a button's target.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "bar/win32/ShellLauncherService.h"
#include "base/win32/KeyedImageList.h"
#include "base/win32/Text.h"
#include "commands/win32/MenuPresenter.h"

namespace lark::win {
namespace {

// What the menu's owner saw while the menu was up.
struct Seen {
    HMENU menu = nullptr;
    std::vector<std::string> texts;
    std::vector<bool> ownerDrawn;
    bool foreignMeasured = true;
    bool foreignIdMeasured = true;
    bool foreignDrawn = true;
    bool ownMeasured = false;
    UINT ownHeight = 0;
    std::vector<LRESULT> keys;  // the owner's answers to WM_MENUCHAR
};
Seen g_seen;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

// Asks the presenter about items while its menu is up, as a shell menu
// shown from a bar window would make the owner do.
void LookAtMenu(HWND owner, HMENU menu) {
    g_seen.menu = menu;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_seen.texts.push_back(Narrow(text));
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        g_seen.ownerDrawn.push_back((info.fType & MFT_OWNERDRAW) != 0);
    }
    MEASUREITEMSTRUCT foreign{ODT_MENU, 0, 9000, 0, 0, 1000};
    g_seen.foreignMeasured = SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&foreign)) != 0;
    MEASUREITEMSTRUCT foreignId{ODT_MENU, 0, 77, 0, 0, 1};  // its data happens to be one of ours
    g_seen.foreignIdMeasured = SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&foreignId)) != 0;
    HMENU other = CreatePopupMenu();
    WindowDc dc(nullptr);
    DRAWITEMSTRUCT draw{ODT_MENU, 0, 2, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(other), dc.get(),
                        RECT{0, 0, 50, 20}, 1};
    g_seen.foreignDrawn = SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)) != 0;
    DestroyMenu(other);
    MEASUREITEMSTRUCT own{ODT_MENU, 0, 2, 0, 0, 1};
    g_seen.ownMeasured = SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&own)) != 0;
    g_seen.ownHeight = own.itemHeight;
    // Typed letters: an item's key in any case, a disabled item's, no item's;
    // the same letter for another menu is not ours to answer.
    for (const wchar_t key : {L'a', L'A', L'E', L'z'})
        g_seen.keys.push_back(
            SendMessageW(owner, WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP), reinterpret_cast<LPARAM>(menu)));
    HMENU another = CreatePopupMenu();
    g_seen.keys.push_back(
        SendMessageW(owner, WM_MENUCHAR, MAKEWPARAM(L'a', MF_POPUP), reinterpret_cast<LPARAM>(another)));
    DestroyMenu(another);
    SetTimer(nullptr, 0, 10, &CloseMenu);
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            return MenuPresenter::HandleMessage(message, lParam) ? TRUE : FALSE;
        case WM_INITMENUPOPUP:
            LookAtMenu(hwnd, reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_MENUCHAR: {
            LRESULT result = 0;
            return MenuPresenter::MenuChar(wParam, lParam, result) ? result : 0;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

TEST(MenuPresenterTest, TheMenuTakesOnlyItsOwnItemsAndTheyKeepTheirTextWithAccessKeys) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LarkspanMenuOwnerTest";
    RegisterClassExW(&wc);
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 40,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    KeyedImageList pictures(16);
    MenuPresenter presenter([&](int) -> const KeyedImageList& { return pictures; },
                            TwipScale{TwipsPerPixel(96), TwipsPerPixel(96)});
    std::vector<MenuItem> items(4);
    items[0].caption = "Visibility";
    items[0].header = true;
    items[1].caption = "AutoHide";
    items[2].caption = "-";
    items[3].caption = "Exit";
    items[3].enabled = false;
    g_seen = Seen{};
    EXPECT_EQ(presenter.Popup(items, MenuColours{}, reinterpret_cast<uintptr_t>(owner), 10, 10), 0);
    ASSERT_NE(g_seen.menu, nullptr) << "the menu never opened";
    EXPECT_THAT(g_seen.texts, ::testing::ElementsAre("Visibility", "&AutoHide", "", "&Exit"));
    EXPECT_THAT(g_seen.ownerDrawn, ::testing::ElementsAre(true, true, false, true));
    EXPECT_FALSE(g_seen.foreignMeasured) << "an item of another menu read as one of ours";
    EXPECT_FALSE(g_seen.foreignIdMeasured);
    EXPECT_FALSE(g_seen.foreignDrawn);
    EXPECT_TRUE(g_seen.ownMeasured);
    EXPECT_GT(g_seen.ownHeight, 0u);
    const LRESULT autoHide = MAKELRESULT(1, MNC_EXECUTE);
    EXPECT_THAT(g_seen.keys, ::testing::ElementsAre(autoHide, autoHide, 0, 0, 0));
    // Outside a menu nothing is taken.
    MEASUREITEMSTRUCT own{ODT_MENU, 0, 2, 0, 0, 1};
    EXPECT_FALSE(MenuPresenter::HandleMessage(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&own)));
    DestroyWindow(owner);
}

// A target that cannot be opened comes back with the system's reason and
// no window of the shell's: the program tells the user itself, once.
TEST(ShellLauncherTest, AFailureComesBackWithItsReasonAndNoDialogOfTheShells) {
    ShellLauncherService shell;
    const LaunchResult missing =
        shell.Execute(0, std::nullopt, "C:\\Larkspan\\No Such Folder\\gone.exe", std::nullopt, std::nullopt, 1);
    EXPECT_TRUE(missing.error == ERROR_FILE_NOT_FOUND || missing.error == ERROR_PATH_NOT_FOUND) << missing.error;
    EXPECT_FALSE(missing.reason.empty());
    EXPECT_EQ(missing.reason.find('\n'), std::string::npos);
    struct Count {
        static BOOL CALLBACK Window(HWND window, LPARAM found) {
            if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(found);
            return TRUE;
        }
    };
    int shown = 0;
    EnumThreadWindows(GetCurrentThreadId(), &Count::Window, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown, 0) << "the shell showed a message of its own";
}

}  // namespace
}  // namespace lark::win
