// The bar content on a real, hidden parent window: tab strip, toolbar array,
// buttons and the notifications the parent routes back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bar/win32/BarContent.h"
#include "base/RuntimeError.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Form.h"
#include "base/win32/KeyedImageList.h"
#include "base/win32/SystemColours.h"

namespace lark::win {
namespace {

using Log = std::vector<std::string>;

std::string Mouse(const char* what, const MouseArgs& a) {
    return std::string(what) + " " + std::to_string(a.button) + " " + std::to_string(a.shift) + " " +
           std::to_string(a.x) + " " + std::to_string(a.y);
}

struct Recorder : IBarContentEvents {
    void OnTabSelected(int32_t position) override { log.push_back("select " + std::to_string(position)); }
    void OnTabMouseDown(const MouseArgs& a) override { log.push_back(Mouse("down", a)); }
    void OnTabMouseUp(const MouseArgs& a) override {
        log.push_back(Mouse("up", a));
        if (onTabUp) onTabUp();
    }
    void OnTabMouseMove(const MouseArgs& a) override { log.push_back(Mouse("move", a)); }
    void OnTabMouseEnter(const MouseArgs& a) override { log.push_back(Mouse("enter", a)); }
    void OnTabContextClick() override { log.push_back("context"); }
    void OnButtonClick(int32_t index, const std::string& key) override {
        log.push_back("click " + std::to_string(index) + " " + key);
    }
    void OnToolbarMouseUp(int32_t index, const MouseArgs& a) override {
        log.push_back(Mouse(("tbup " + std::to_string(index)).c_str(), a));
        if (onToolbarUp) onToolbarUp(index);
    }
    void OnChevron(int32_t index, const RECT& r) override {
        log.push_back("chevron " + std::to_string(index) + " " + std::to_string(r.right - r.left));
    }
    Log log;
    std::function<void(int32_t)> onToolbarUp;
    std::function<void()> onTabUp;
};

int ErrorOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

BarContent* g_content = nullptr;
int g_parentContextMenus = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_NOTIFY && g_content &&
        g_content->HandleNotify(reinterpret_cast<const NMHDR*>(lParam), result))
        return result;
    if (message == WM_COMMAND && g_content && g_content->HandleCommand(wParam, lParam)) return 0;
    if (message == WM_CONTEXTMENU) ++g_parentContextMenus;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HICON AppIcon() { return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)); }

// Non-transparent pixels of one picture drawn on a cleared surface.
int OpaquePixels(const KeyedImageList& list, int index) {
    const int size = list.Size();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap surface(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), surface.get());
    ImageList_Draw(list.Handle(), index, dc.get(), 0, 0, ILD_NORMAL);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    int count = 0;
    for (int i = 0; i < size * size; ++i) count += (pixels[i] & 0xFFFFFFu) != 0;
    return count;
}

// A control painted into a bitmap, as WM_PAINT with a device context asks
// (the toolbar's background erased first, as before a paint on screen).
class Painted {
public:
    explicit Painted(HWND control) {
        RECT client{};
        GetClientRect(control, &client);
        WindowDc screen(control);
        surface_.reset(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
        SelectObject(dc_.get(), surface_.get());
        SendMessageW(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc_.get()), 0);
        SendMessageW(control, WM_PAINT, reinterpret_cast<WPARAM>(dc_.get()), 0);
    }
    COLORREF At(LONG x, LONG y) const { return GetPixel(dc_.get(), x, y); }

private:
    UniqueBitmap surface_;  // outlives the context it is selected into
    UniqueMemoryDc dc_{CreateCompatibleDC(nullptr)};
};

// The system as the colours see it: its own colours, dark apps, and a
// high-contrast switch Wine has not got.
struct SystemWithHighContrast : ISystemColours {
    bool AppsUseLightTheme() override { return false; }
    bool HighContrast() override { return highContrast; }
    SystemColours Colours() override { return SystemColourService().Colours(); }
    bool highContrast = false;
};

LPARAM At(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

class BarContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LarkspanBarContentTest";
        RegisterClassExW(&wc);
        RECT r{0, 0, 500, 80};
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
        parent_ = CreateWindowExW(0, wc.lpszClassName, L"BarContentTest", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                                  0, r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent_, nullptr);
        // On screen, so toolbars hand their buttons to the controls at once.
        ShowWindow(parent_, SW_SHOWNOACTIVATE);
        small_.Add("no", nullptr);
        small_.Add("app", AppIcon());
        large_.Add("app", AppIcon());
        content_ = std::make_unique<BarContent>(parent_, small_, large_, TwipScale{TwipsPerPixel(96), TwipsPerPixel(96)}, events_);
        g_content = content_.get();
        g_parentContextMenus = 0;
    }
    void TearDown() override {
        g_content = nullptr;
        content_.reset();
        DestroyWindow(parent_);
    }
    void AddTabs(std::initializer_list<const char*> names) {
        for (const char* name : names) content_->TabControl1().AddTab(std::string("Caption ") + name, -1, -1, name);
    }
    TBBUTTON NativeButton(int32_t toolbar, int position) {
        TBBUTTON button{};
        SendMessageW(content_->ToolbarHandle(toolbar), TB_GETBUTTON, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&button));
        return button;
    }
    std::wstring ToolTipFor(int32_t toolbar, int position) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(content_->ToolbarHandle(toolbar), TB_GETTOOLTIPS, 0, 0));
        info.hdr.idFrom = static_cast<UINT_PTR>(NativeButton(toolbar, position).idCommand);
        info.hdr.code = TTN_GETDISPINFOW;
        LRESULT result = -1;
        if (!content_->HandleNotify(&info.hdr, result) || !info.lpszText) return L"<unanswered>";
        return info.lpszText;
    }
    RECT ButtonRect(int32_t toolbar, int position) {
        RECT r{};
        SendMessageW(content_->ToolbarHandle(toolbar), TB_GETITEMRECT, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&r));
        return r;
    }
    RECT WindowRectIn(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND parent_ = nullptr;
    KeyedImageList small_{16};
    KeyedImageList large_{32};
    Recorder events_;
    std::unique_ptr<BarContent> content_;
};

TEST_F(BarContentTest, TabsKeepTheirNamesByPosition) {
    ITabStrip& tabs = content_->TabControl1();
    AddTabs({"A", "B", "C"});
    EXPECT_EQ(tabs.TabCount(), 3);
    EXPECT_EQ(tabs.TabKey(3), "C");
    EXPECT_EQ(content_->Tabs().TabCaption(3), "Caption C");

    tabs.RemoveTab(1);
    EXPECT_EQ(tabs.TabKey(1), "B");
    EXPECT_EQ(tabs.TabKey(2), "C");
    EXPECT_EQ(SendMessageW(content_->TabStripHandle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ErrorOf([&] { tabs.RemoveTab(3); }), kErrIndexOutOfBounds);
    EXPECT_EQ(ErrorOf([&] { tabs.RemoveTab(0); }), kErrIndexOutOfBounds);
    EXPECT_EQ(ErrorOf([&] { tabs.TabKey(0); }), kErrIndexOutOfBounds);

    tabs.ClearTabs();
    EXPECT_EQ(tabs.TabCount(), 0);
    EXPECT_EQ(tabs.CurrentTab(), 0);
    AddTabs({"D"});
    EXPECT_EQ(tabs.TabKey(1), "D");
}

TEST_F(BarContentTest, SelectionFollowsItsTabAndReportsOnlyWhatTheCallerDidNotAskFor) {
    ITabStrip& tabs = content_->TabControl1();
    AddTabs({"A", "B", "C", "D"});
    EXPECT_EQ(tabs.CurrentTab(), 1);  // the first tab added is selected

    tabs.SelectTab(3);
    tabs.SelectTab(3);
    EXPECT_EQ(events_.log, Log({"select 3"}));
    events_.log.clear();

    tabs.RemoveTab(1);  // C moves to 2 and stays selected, silently
    EXPECT_EQ(tabs.CurrentTab(), 2);
    EXPECT_EQ(tabs.TabKey(tabs.CurrentTab()), "C");
    tabs.RemoveTab(2);  // the selected one: D takes its place and is shown
    EXPECT_EQ(tabs.CurrentTab(), 2);
    tabs.RemoveTab(2);  // the selected last one: its left neighbour
    EXPECT_EQ(tabs.CurrentTab(), 1);
    tabs.RemoveTab(1);
    EXPECT_EQ(tabs.CurrentTab(), 0);
    EXPECT_EQ(events_.log, Log({"select 2", "select 1"}));
}

TEST_F(BarContentTest, ClickOnATabReachesTheListenerThroughTheParent) {
    AddTabs({"A", "B", "C"});
    content_->Layout();
    RECT second{};
    SendMessageW(content_->TabStripHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    const LPARAM at = At(second);
    SendMessageW(content_->TabStripHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(GetCapture(), content_->TabStripHandle());  // a drag off the strip still ends here
    SendMessageW(content_->TabStripHandle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(GetCapture(), nullptr);

    EXPECT_EQ(content_->TabControl1().CurrentTab(), 2);
    const std::string x = std::to_string(GET_X_LPARAM(at) * 15), y = std::to_string(GET_Y_LPARAM(at) * 15);
    EXPECT_EQ(events_.log, Log({"select 2", "down 1 0 " + x + " " + y, "up 1 0 " + x + " " + y}));
}

TEST_F(BarContentTest, MouseNotificationsOfTheTabStrip) {
    HWND strip = content_->TabStripHandle();
    SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(20, 6));
    SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(21, 6));
    SendMessageW(strip, WM_MOUSELEAVE, 0, 0);
    SendMessageW(strip, WM_MOUSEMOVE, 0, MAKELPARAM(2, 3));
    SendMessageW(strip, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(10, 5));
    SendMessageW(strip, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(10, 5));
    SendMessageW(strip, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(strip), MAKELPARAM(100, 100));
    SendMessageW(strip, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(strip), -1);
    EXPECT_EQ(events_.log, Log({"enter 1 2 300 90", "move 1 2 300 90", "move 1 2 315 90", "enter 0 0 30 45",
                                "move 0 0 30 45", "down 2 1 150 75", "up 2 1 150 75", "context"}));
    // A right click opens one menu, not a second one through the parent.
    EXPECT_EQ(g_parentContextMenus, 0);
}

TEST_F(BarContentTest, ToolbarArrayRules) {
    EXPECT_EQ(content_->ToolbarIndices(), std::vector<int32_t>({0}));
    EXPECT_TRUE(content_->ToolbarVisible(0));
    EXPECT_EQ(ErrorOf([&] { content_->CreateToolbar(0); }), kErrAlreadyLoaded);
    content_->BindImageList(0, ImageListSize::Large);
    content_->CreateToolbar(3);
    content_->CreateToolbar(1);
    EXPECT_EQ(content_->ToolbarIndices(), std::vector<int32_t>({0, 1, 3}));
    EXPECT_FALSE(content_->ToolbarVisible(3));
    // A new element takes the lowest element's pictures.
    EXPECT_EQ(SendMessageW(content_->ToolbarHandle(3), TB_GETIMAGELIST, 0, 0),
              reinterpret_cast<LRESULT>(large_.Handle()));

    EXPECT_EQ(ErrorOf([&] { content_->DiscardToolbar(0); }), kErrCantUnloadElement);
    EXPECT_EQ(ErrorOf([&] { content_->DiscardToolbar(2); }), kErrNoSuchControl);
    EXPECT_EQ(ErrorOf([&] { content_->SetToolbarTag(2, "x"); }), kErrNoSuchControl);
    EXPECT_EQ(ErrorOf([&] { content_->AddButton(2, "k", "no"); }), kErrNoSuchControl);
    HWND gone = content_->ToolbarHandle(1);
    content_->DiscardToolbar(1);
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(content_->ToolbarIndices(), std::vector<int32_t>({0, 3}));
    content_->CreateToolbar(1);
    EXPECT_EQ(content_->ToolbarIndices(), std::vector<int32_t>({0, 1, 3}));

    content_->SetToolbarTag(3, "Tools");
    EXPECT_EQ(content_->ToolbarTag(3), "Tools");
    content_->SetToolbarVisible(3, true);
    EXPECT_TRUE(content_->ToolbarVisible(3));
}

TEST_F(BarContentTest, ButtonsByKey) {
    content_->CreateToolbar(1);
    content_->AddButton(0, "Notepad0", "no");
    content_->AddButton(0, "Docs0", "folder");
    EXPECT_EQ(ErrorOf([&] { content_->AddButton(0, "Notepad0", "no"); }), kErrKeyNotUnique);
    content_->AddButton(1, "Notepad0", "no");  // keys are unique per toolbar only
    content_->AddButton(0, "notepad0", "no");  // and case-sensitive
    EXPECT_EQ(content_->ButtonKeys(0), std::vector<std::string>({"Notepad0", "Docs0", "notepad0"}));
    EXPECT_EQ(SendMessageW(content_->ToolbarHandle(0), TB_BUTTONCOUNT, 0, 0), 3);

    content_->SetButtonTag(0, "Docs0", ButtonTag{"C:\\Docs", "-x \"y\""});
    content_->SetButtonToolTip(0, "Docs0", "Docs");
    EXPECT_EQ(content_->GetButtonTag(0, "Docs0").target, "C:\\Docs");
    EXPECT_EQ(content_->GetButtonTag(0, "Docs0").arguments, "-x \"y\"");
    EXPECT_EQ(content_->GetButtonToolTip(0, "Docs0"), "Docs");
    EXPECT_EQ(content_->GetButtonImage(0, "Docs0"), "folder");
    EXPECT_EQ(content_->GetButtonTag(1, "Notepad0").target, "");

    content_->RemoveButton(0, "Notepad0");
    EXPECT_EQ(content_->ButtonKeys(0), std::vector<std::string>({"Docs0", "notepad0"}));
    EXPECT_EQ(SendMessageW(content_->ToolbarHandle(0), TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_EQ(ErrorOf([&] { content_->RemoveButton(0, "Notepad0"); }), kErrElementNotFound);
    EXPECT_EQ(ErrorOf([&] { content_->SetButtonTag(0, "Notepad0", {}); }), kErrElementNotFound);
    EXPECT_EQ(ErrorOf([&] { content_->GetButtonToolTip(0, "Nope"); }), kErrElementNotFound);

    content_->SetToolbarTag(0, "Tools");
    content_->ClearButtons(0);
    EXPECT_TRUE(content_->ButtonKeys(0).empty());
    EXPECT_EQ(SendMessageW(content_->ToolbarHandle(0), TB_BUTTONCOUNT, 0, 0), 0);
    EXPECT_EQ(content_->ToolbarTag(0), "Tools");
    content_->AddButton(0, "Notepad0", "no");  // a cleared key is free again
}

TEST_F(BarContentTest, PictureKeysAreResolvedAgainstTheBoundList) {
    content_->AddButton(0, "a", "app");
    content_->AddButton(0, "b", "zz");
    EXPECT_EQ(NativeButton(0, 0).iBitmap, I_IMAGENONE);  // no list bound yet

    content_->BindImageList(0, ImageListSize::Small);
    EXPECT_EQ(NativeButton(0, 0).iBitmap, small_.IndexOf("app"));
    EXPECT_EQ(NativeButton(0, 1).iBitmap, I_IMAGENONE);
    content_->AddButton(0, "c", "no");
    EXPECT_EQ(NativeButton(0, 2).iBitmap, small_.IndexOf("no"));

    content_->BindImageList(0, ImageListSize::Large);
    ASSERT_NE(large_.IndexOf("app"), small_.IndexOf("app"));
    EXPECT_EQ(NativeButton(0, 0).iBitmap, large_.IndexOf("app"));
    EXPECT_EQ(NativeButton(0, 2).iBitmap, I_IMAGENONE);  // "no" is not in the large list
    EXPECT_EQ(content_->GetButtonImage(0, "c"), "no");

    // Buttons and toolbar grow to hold 32-pixel pictures.
    RECT button{};
    SendMessageW(content_->ToolbarHandle(0), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    EXPECT_GE(button.bottom - button.top, 32 + 4);
    EXPECT_GE(button.right - button.left, 32 + 4);
    const RECT bar = WindowRectIn(content_->ToolbarHandle(0));
    EXPECT_GE(bar.bottom - bar.top, button.bottom);
}

TEST_F(BarContentTest, ToolTipsAndClicksAreAnsweredForTheRightToolbar) {
    content_->CreateToolbar(1);
    content_->SetToolbarVisible(1, true);
    content_->AddButton(0, "Notepad0", "no");
    content_->AddButton(1, "Calc1", "no");  // the same command id on another toolbar
    content_->SetButtonToolTip(0, "Notepad0", "Notepad");
    content_->SetButtonToolTip(1, "Calc1", "Caf\xC3\xA9");
    EXPECT_EQ(ToolTipFor(0, 0), L"Notepad");
    EXPECT_EQ(ToolTipFor(1, 0), L"Caf\u00E9");
    // A screen reader reads the same name as the button's text, the
    // length first, in either character set.
    HWND second = content_->ToolbarHandle(1);
    const auto id = static_cast<WPARAM>(NativeButton(1, 0).idCommand);
    wchar_t wide[8] = {};
    EXPECT_EQ(SendMessageW(second, TB_GETBUTTONTEXTW, id, 0), 4);
    EXPECT_EQ(SendMessageW(second, TB_GETBUTTONTEXTW, id, reinterpret_cast<LPARAM>(wide)), 4);
    EXPECT_STREQ(wide, L"Caf\u00E9");
    char ansi[8] = {};
    EXPECT_EQ(SendMessageA(second, TB_GETBUTTONTEXTA, id, reinterpret_cast<LPARAM>(ansi)), 4);
    EXPECT_STREQ(ansi, "Caf\xE9");

    content_->Layout();
    HWND bar = content_->ToolbarHandle(1);
    RECT button{};
    SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(button));
    SendMessageW(bar, WM_LBUTTONUP, 0, At(button));
    // The left button, no keys held, the button's centre in twips (15 a pixel at 96 DPI).
    MouseArgs up;
    up.button = 1;
    up.x = (button.left + button.right) / 2 * 15;
    up.y = (button.top + button.bottom) / 2 * 15;
    EXPECT_EQ(events_.log, Log({"click 1 Calc1", Mouse("tbup 1", up)}));
    EXPECT_FALSE(content_->HandleCommand(MAKEWPARAM(1, 0), reinterpret_cast<LPARAM>(parent_)));
}

TEST_F(BarContentTest, HiddenToolbarsHandTheirButtonsOverWhenShown) {
    content_->CreateToolbar(1);
    content_->AddButton(1, "a1", "app");
    content_->AddButton(1, "b1", "no");
    content_->RemoveButton(1, "a1");
    content_->AddButton(1, "c1", "no");
    content_->BindImageList(1, ImageListSize::Small);
    EXPECT_EQ(content_->ButtonKeys(1), std::vector<std::string>({"b1", "c1"}));
    content_->SetToolbarVisible(1, true);
    ASSERT_EQ(SendMessageW(content_->ToolbarHandle(1), TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_EQ(NativeButton(1, 1).iBitmap, small_.IndexOf("no"));
    content_->AddButton(1, "d1", "app");  // on screen now: straight to the control
    EXPECT_EQ(SendMessageW(content_->ToolbarHandle(1), TB_BUTTONCOUNT, 0, 0), 3);

    // A toolbar shown inside a hidden window hands them over when it paints.
    ShowWindow(parent_, SW_HIDE);
    content_->AddButton(0, "x0", "no");
    content_->AddButton(0, "y0", "no");
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    UpdateWindow(parent_);
    RedrawWindow(content_->ToolbarHandle(0), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(SendMessageW(content_->ToolbarHandle(0), TB_BUTTONCOUNT, 0, 0), 2);
}

TEST_F(BarContentTest, TabsAddedOffScreenReachTheControlWhenItPaints) {
    ShowWindow(parent_, SW_HIDE);
    content_->BindImageList(0, ImageListSize::Small);
    const RECT emptyPage = content_->Tabs().ClientRectPx();
    AddTabs({"A", "B", "C"});
    ITabStrip& tabs = content_->TabControl1();
    EXPECT_EQ(tabs.CurrentTab(), 1);
    tabs.SelectTab(3);
    tabs.RemoveTab(1);  // the selected tab moves up with the rest
    EXPECT_EQ(tabs.CurrentTab(), 2);
    EXPECT_EQ(tabs.TabKey(2), "C");
    // The tab row has its height already, so toolbars placed now sit below it.
    EXPECT_GT(content_->Tabs().ClientRectPx().top, emptyPage.top);

    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    RedrawWindow(content_->TabStripHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HWND strip = content_->TabStripHandle();
    EXPECT_EQ(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(strip, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(content_->Tabs().TabCaption(2), "Caption C");
    tabs.RemoveTab(2);
    tabs.RemoveTab(1);
    EXPECT_EQ(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(BarContentTest, AListenerMayDiscardTheToolbarThatCalledIt) {
    // The popup menu of a toolbar's right click can delete its section.
    content_->CreateToolbar(1);
    content_->AddButton(1, "Calc1", "no");
    events_.onToolbarUp = [&](int32_t index) { content_->DiscardToolbar(index); };
    SendMessageW(content_->ToolbarHandle(1), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    SendMessageW(content_->ToolbarHandle(1), WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(content_->ToolbarIndices(), std::vector<int32_t>({0}));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST_F(BarContentTest, ToolbarsSitOnTheTabPageAboveTheStrip) {
    AddTabs({"A", "B"});
    content_->BindImageList(0, ImageListSize::Small);
    content_->CreateToolbar(1);
    content_->Layout();

    RECT client{};
    GetClientRect(parent_, &client);
    const RECT strip = WindowRectIn(content_->TabStripHandle());
    EXPECT_EQ(strip.right - strip.left, client.right);
    EXPECT_EQ(strip.bottom - strip.top, client.bottom);

    const RECT page = content_->Tabs().ClientRectPx();
    RECT tab{};
    SendMessageW(content_->TabStripHandle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_GE(page.top, tab.bottom);
    EXPECT_EQ(content_->Tabs().ClientLeft(), page.left * 15);
    EXPECT_EQ(content_->Tabs().ClientTop(), page.top * 15);
    EXPECT_EQ(content_->Tabs().ClientWidth(), (page.right - page.left) * 15);
    for (int32_t index : {0, 1}) {
        const RECT bar = WindowRectIn(content_->ToolbarHandle(index));
        EXPECT_EQ(bar.left, page.left);
        EXPECT_EQ(bar.top, page.top);
        EXPECT_EQ(bar.right, page.right);
        EXPECT_EQ(bar.bottom - bar.top, content_->ToolbarAt(index).HeightPx());
    }
    EXPECT_EQ(GetWindow(content_->ToolbarHandle(0), GW_HWNDLAST), content_->TabStripHandle());
    // Off the tabs the mouse still belongs to the strip, not to the window.
    POINT below{(page.left + page.right) / 2, page.bottom - 1};
    ClientToScreen(parent_, &below);
    EXPECT_EQ(SendMessageW(content_->TabStripHandle(), WM_NCHITTEST, 0, MAKELPARAM(below.x, below.y)), HTCLIENT);

    content_->Tabs().Move(0, 0, 3000, 900);
    const RECT moved = WindowRectIn(content_->TabStripHandle());
    EXPECT_EQ(moved.right - moved.left, 200);
    EXPECT_EQ(moved.bottom - moved.top, 60);
}

TEST_F(BarContentTest, ButtonsThatDoNotFitWaitBehindTheChevronOrWrapIntoRows) {
    content_->BindImageList(0, ImageListSize::Small);
    for (int i = 0; i < 30; ++i) content_->AddButton(0, "b" + std::to_string(i), "app");
    content_->Layout();
    Toolbar& toolbar = content_->ToolbarAt(0);
    HWND bar = toolbar.Handle();
    auto hidden = [&](int position) {
        return (SendMessageW(bar, TB_GETSTATE, static_cast<WPARAM>(NativeButton(0, position).idCommand), 0) &
                TBSTATE_HIDDEN) != 0;
    };
    auto shown = [&] {
        std::vector<int> out;
        for (int i = 0; i < 30; ++i)
            if (!hidden(i)) out.push_back(i);
        return out;
    };
    // The chevron's name, on the tooltip's tool that lies over it: none
    // without a chevron.
    auto chevronTool = [&]() -> std::optional<std::pair<RECT, std::wstring>> {
        wchar_t text[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = bar;
        tool.uId = Toolbar::kChevronTool;
        tool.lpszText = text;
        if (!SendMessageW(toolbar.ToolTipHandle(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)))
            return std::nullopt;
        return std::make_pair(tool.rect, std::wstring(text));
    };
    // One row: as many as fit beside the chevron, the rest behind it.
    const std::optional<RECT> chevron = toolbar.ChevronRect();
    ASSERT_TRUE(chevron.has_value());
    ASSERT_TRUE(chevronTool().has_value());
    EXPECT_EQ(chevronTool()->second, L"More programs");
    EXPECT_TRUE(EqualRect(&chevronTool()->first, &*chevron));
    const std::vector<int> row = shown();
    ASSERT_GE(row.size(), 15u);
    ASSERT_LT(row.size(), 30u);
    EXPECT_EQ(row.front(), 0);
    EXPECT_EQ(row.back(), static_cast<int>(row.size()) - 1);
    EXPECT_LE(ButtonRect(0, row.back()).right, chevron->left);
    EXPECT_GT(ButtonRect(0, row.back()).right + 23, chevron->left);  // no room left for another
    EXPECT_EQ(ButtonRect(0, row.back()).top, chevron->top);
    EXPECT_EQ(toolbar.HiddenKeys().front(), "b" + std::to_string(row.size()));
    EXPECT_EQ(toolbar.HiddenKeys().size(), 30 - row.size());
    // On the chevron a drop goes to the end, and a press opens its menu.
    EXPECT_EQ(toolbar.DropPositionAt(chevron->left + 2, chevron->top + 2), 30);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(*chevron));
    EXPECT_EQ(events_.log, Log({"chevron 0 14"}));

    // The keyboard brings the last one into view; the first goes behind.
    toolbar.ShowButton(29);
    EXPECT_FALSE(hidden(29));
    EXPECT_TRUE(hidden(0));
    EXPECT_EQ(shown().size(), row.size());
    toolbar.ShowButton(0);
    EXPECT_EQ(shown(), row);

    // Two rows hold them all: the second starts below the first at once.
    content_->SetRows(2);
    EXPECT_EQ(shown().size(), 30u);
    EXPECT_FALSE(toolbar.ChevronRect().has_value());
    EXPECT_FALSE(chevronTool().has_value());
    const int perRow = toolbar.Rows().perRow;
    ASSERT_TRUE(perRow == static_cast<int>(row.size()) || perRow == static_cast<int>(row.size()) + 1);
    EXPECT_EQ(ButtonRect(0, perRow).left, ButtonRect(0, 0).left);
    EXPECT_EQ(ButtonRect(0, perRow).top, ButtonRect(0, 0).bottom);
    EXPECT_EQ(WindowRectIn(bar).bottom - WindowRectIn(bar).top, toolbar.HeightPx());
    EXPECT_EQ(toolbar.HeightPx(), 2 * 22 + 4);
    // A drop in the second row lands among its buttons.
    const RECT second = ButtonRect(0, perRow + 1);
    EXPECT_EQ(toolbar.DropPositionAt(second.left + 2, second.top + 2), perRow + 1);
    EXPECT_EQ(toolbar.DropPositionAt(second.right - 2, second.bottom + 9), perRow + 2);

    // Back to one row; removing buttons until they fit takes the chevron away.
    content_->SetRows(1);
    EXPECT_EQ(shown(), row);
    for (int i = 29; i >= perRow; --i) content_->RemoveButton(0, "b" + std::to_string(i));
    EXPECT_FALSE(toolbar.ChevronRect().has_value());
    EXPECT_FALSE(hidden(perRow - 1));
    content_->AddButton(0, "late", "app");  // on screen, hidden from the start
    EXPECT_TRUE(toolbar.ChevronRect().has_value());
    ASSERT_TRUE(chevronTool().has_value());
    const RECT late = *toolbar.ChevronRect();
    EXPECT_TRUE(EqualRect(&chevronTool()->first, &late));
    EXPECT_EQ(toolbar.HiddenKeys().back(), "late");

    // As narrow as a docked column: the sections a list above the page, one
    // button a row, the chevron on a row of its own at the end.
    AddTabs({"A", "B"});
    RECT frame{0, 0, 53, 300};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    SetWindowPos(parent_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    content_->SetColumn(true);
    TabControl& tabs = content_->Tabs();
    const RECT page = tabs.ClientRectPx();
    EXPECT_EQ(tabs.TabAt(10, 6), 1);
    EXPECT_EQ(tabs.TabAt(40, page.top / 2 + 4), 2);
    EXPECT_EQ(tabs.TabAt(10, page.top + 4), 0);
    EXPECT_EQ(toolbar.Rows().perRow, 1);
    const RECT first = ButtonRect(0, 0);
    const RECT below = ButtonRect(0, 1);
    EXPECT_EQ(below.left, first.left);
    EXPECT_EQ(below.top, first.bottom);
    EXPECT_GE(WindowRectIn(bar).top, page.top);
    const std::optional<RECT> end = toolbar.ChevronRect();
    ASSERT_TRUE(end.has_value());
    const size_t fit = toolbar.Rows().shown;
    EXPECT_EQ(end->top, ButtonRect(0, static_cast<int>(fit) - 1).bottom);
    EXPECT_EQ(fit, static_cast<size_t>(toolbar.Rows().rows - 1));
    // A drop goes above the button whose lower half it is not in.
    EXPECT_EQ(toolbar.DropPositionAt(first.right + 8, below.top + 2), 1);
    EXPECT_EQ(toolbar.DropPositionAt(first.left, below.bottom - 2), 2);
    // A row again: side by side.
    content_->SetColumn(false);
    EXPECT_GT(toolbar.Rows().perRow, 1);
    EXPECT_EQ(ButtonRect(0, 1).top, ButtonRect(0, 0).top);
}

TEST(KeyedImageListTest, KeysAddReplaceAndClear) {
    KeyedImageList list(16);
    int width = 0, height = 0;
    ImageList_GetIconSize(list.Handle(), &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);

    HICON mine = CopyIcon(AppIcon());
    list.Add("blank", nullptr);
    list.Add("EXE", mine);
    DestroyIcon(mine);  // the list holds its own copy
    EXPECT_EQ(list.IndexOf("blank"), 0);
    EXPECT_EQ(list.IndexOf("EXE"), 1);
    EXPECT_EQ(list.IndexOf("exe"), -1);
    EXPECT_FALSE(list.Contains("exe"));
    EXPECT_EQ(ErrorOf([&] { list.Add("EXE", AppIcon()); }), kErrKeyNotUnique);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 2);
    EXPECT_EQ(OpaquePixels(list, 0), 0);
    EXPECT_GT(OpaquePixels(list, 1), 0);

    list.Replace("blank", AppIcon());
    EXPECT_EQ(list.IndexOf("blank"), 0);
    EXPECT_GT(OpaquePixels(list, 0), 0);
    list.Replace("EXE", nullptr);
    EXPECT_EQ(OpaquePixels(list, 1), 0);
    list.Replace("new", AppIcon());
    EXPECT_EQ(list.IndexOf("new"), 2);
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 3);

    EXPECT_EQ(ErrorOf([] { KeyedImageList tiny(8); }), kErrInvalidCall);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Contains("blank"));
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 0);
    list.Add("blank", nullptr);
    EXPECT_EQ(list.IndexOf("blank"), 0);
}

// A window of the program whose handler fails at its timer.
class FailingForm : public Form {
public:
    explicit FailingForm(FormRegistry& registry) : Form(registry) {}
    void Load() {
        CreateFormWindow(WindowSpec{L"LarkspanFailingForm", WS_POPUP, WS_EX_TOOLWINDOW, L"", RECT{0, 0, 10, 10}});
    }
    int ticks = 0;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER) {
            ++ticks;
            throw RuntimeError(kErrObjectNotSet, "the timer's object is gone");
        }
        return Form::HandleMessage(message, wParam, lParam);
    }
};

// No error unwinds through the system's frames: each is reported once, the
// control's own handling still happens, and the program goes on.
TEST_F(BarContentTest, AnErrorInAnyHandlerIsReportedOnceAndTheBarGoesOn) {
    std::vector<std::string> reported;
    SetEscapedErrorReporter([&](const RuntimeError& e) {
        reported.push_back(std::to_string(e.Number()) + " " + e.Description());
    });
    AddTabs({"One", "Two"});
    content_->AddButton(0, "a", "app");
    events_.onToolbarUp = [](int32_t) { throw RuntimeError(kErrNoSuchControl, "toolbar handler"); };
    events_.onTabUp = [] { throw RuntimeError(kErrIndexOutOfBounds, "tab strip handler"); };
    const RECT button = ButtonRect(0, 0);
    HWND toolbar = content_->ToolbarHandle(0);
    for (int i = 0; i < 2; ++i) {
        SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, At(button));
        SendMessageW(toolbar, WM_LBUTTONUP, 0, At(button));
        SendMessageW(content_->TabStripHandle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    EXPECT_EQ(reported, (std::vector<std::string>{"340 toolbar handler", "35600 tab strip handler"}));
    // The button's own click went through both times, before the failure.
    EXPECT_EQ(std::count(events_.log.begin(), events_.log.end(), "click 0 a"), 2) << ::testing::PrintToString(events_.log);
    EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 1);

    // A timer of one of the program's windows.
    FormRegistry registry;
    FailingForm form(registry);
    form.Load();
    SetTimer(form.Handle(), 1, 10, nullptr);
    const ULONGLONG deadline = GetTickCount64() + 10000;
    MSG msg;
    while (form.ticks < 2 && GetTickCount64() < deadline) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    KillTimer(form.Handle(), 1);
    EXPECT_EQ(form.ticks, 2);
    EXPECT_TRUE(IsWindow(form.Handle()));
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[2], "91 the timer's object is gone");
    SetEscapedErrorReporter(nullptr);
}

// A new DPI: the tab strip's font and row, the buttons' room, and once the
// lists hold larger pictures, the buttons made again to fit them.
TEST_F(BarContentTest, AnotherDpiGrowsTheTabRowAndTheButtons) {
    AddTabs({"One", "Two"});
    content_->BindImageList(0, ImageListSize::Small);
    content_->AddButton(0, "a", "app");
    content_->AddButton(0, "b", "no");
    auto buttonSize = [&] {
        const auto size = static_cast<DWORD>(SendMessageW(content_->ToolbarHandle(0), TB_GETBUTTONSIZE, 0, 0));
        return std::make_pair(static_cast<int>(LOWORD(size)), static_cast<int>(HIWORD(size)));
    };
    EXPECT_EQ(buttonSize(), std::make_pair(16 + 7, 16 + 6));
    const int rowAt96 = content_->Tabs().ClientRectPx().top;

    content_->SetDpi(144);
    EXPECT_EQ(buttonSize(), std::make_pair(16 + 10, 16 + 9));
    EXPECT_GT(content_->Tabs().ClientRectPx().top, rowAt96 + rowAt96 / 4);

    small_.Resize(24, [](const std::string& key, int) {
        return UniqueIcon(key == "no" ? nullptr : CopyIcon(AppIcon()));
    });
    content_->RefreshPictures();
    EXPECT_EQ(buttonSize(), std::make_pair(24 + 10, 24 + 9));
    EXPECT_EQ(ButtonRect(0, 1).bottom - ButtonRect(0, 1).top, 24 + 9);
    EXPECT_EQ(NativeButton(0, 0).iBitmap, small_.IndexOf("app"));
    EXPECT_EQ(content_->ButtonKeys(0), (std::vector<std::string>{"a", "b"}));
    const RECT page = content_->Tabs().ClientRectPx();
    EXPECT_EQ(WindowRectIn(content_->ToolbarHandle(0)).top, page.top);
}

// Dark paints what the system draws light; high contrast gives it back to
// the system, whatever the setting.
TEST_F(BarContentTest, DarkPaintsTheStripAndToolbarsAndHighContrastLeavesThemToTheSystem) {
    AddTabs({"One", "Two"});
    content_->BindImageList(0, ImageListSize::Small);
    content_->AddButton(0, "a", "app");
    content_->AddButton(0, "b", "app");
    content_->Layout();
    HWND toolbar = content_->ToolbarHandle(0);
    SendMessageW(toolbar, TB_SETHOTITEM, 1, 0);  // the keyboard's or the mouse's button
    const RECT page = content_->Tabs().ClientRectPx();
    RECT tab{};
    SendMessageW(content_->TabStripHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    const RECT hot = ButtonRect(0, 1);
    RECT bar{};
    GetClientRect(toolbar, &bar);
    auto look = [&] {
        const Painted strip(content_->TabStripHandle());
        const Painted buttons(toolbar);
        return std::vector<COLORREF>{strip.At(page.right - 4, page.bottom - 4), strip.At(page.right - 4, tab.top + 2),
                                     buttons.At(bar.right - 4, bar.bottom / 2), buttons.At(hot.left + 1, hot.top + 1)};
    };
    const std::vector<COLORREF> light = look();

    SystemWithHighContrast system;
    ColourScheme scheme(system);
    scheme.Use(ColourSetting::Dark);
    UseColours(scheme.Current());
    const Palette dark = scheme.Current();
    EXPECT_EQ(look(), (std::vector<COLORREF>{dark.page, dark.background, dark.page, dark.buttonHot}));

    system.highContrast = true;
    ASSERT_TRUE(scheme.Hear(ColourNews::HighContrast));
    UseColours(scheme.Current());
    EXPECT_EQ(look(), light);
    UseColours(MakePalette(PaletteKind::Light, system.Colours()));
}

TEST(SystemColoursTest, OnlyTheNewsOfColoursIsTakenForIt) {
    EXPECT_EQ(ColourNewsOf(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet")), ColourNews::AppMode);
    EXPECT_EQ(ColourNewsOf(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0), ColourNews::HighContrast);
    EXPECT_EQ(ColourNewsOf(WM_SYSCOLORCHANGE, 0, 0), ColourNews::SystemColours);
    EXPECT_EQ(ColourNewsOf(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment")), std::nullopt);
    EXPECT_EQ(ColourNewsOf(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0), std::nullopt);
    EXPECT_EQ(ColourNewsOf(WM_DISPLAYCHANGE, 0, 0), std::nullopt);
}

}  // namespace
}  // namespace lark::win
