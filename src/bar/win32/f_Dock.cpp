#include "bar/win32/f_Dock.h"

#include <shellapi.h>

#include "bar/BarInput.h"

namespace lark::win {

void f_Dock::Load() {
    if (Loaded()) return;
    // A fixed tool window without caption; the docked arrangement sizes it.
    CreateFormWindow(WindowSpec{L"LarkspanDock", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                                WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"", RECT{0, 0, 400, 60}});
    CreateContent();
    AppBarData& info = app_.state.AppBarInfo;
    info.cbSize = sizeof(APPBARDATA);
    // The shell's notifications get a message of their own rather than one
    // the window already uses for something else.
    info.uCallbackMessage = kAppBarCallback;
    info.hWnd = reinterpret_cast<uintptr_t>(Handle());
}

void f_Dock::Show() { ShowWindow(Handle(), SW_SHOWNA); }

void f_Dock::Hide() {
    Load();
    ShowWindow(Handle(), SW_HIDE);
}

void f_Dock::Place(int32_t x, int32_t y, int32_t width, int32_t height, Flags flags) {
    SetWindowPos(Handle(), HWND_TOP, x, y, width, height,
                 flags == Flags::ShowWindow ? SWP_SHOWWINDOW : SWP_NOACTIVATE);
}

void f_Dock::MakeTopmost() {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {
constexpr UINT_PTR kHideTimer = 2;  // tmrHide
constexpr UINT kHideTimerMs = 500;
}  // namespace

void f_Dock::EnableHideTimer(bool enabled) {
    if (enabled) {
        SetTimer(Handle(), kHideTimer, kHideTimerMs, nullptr);
    } else {
        KillTimer(Handle(), kHideTimer);
    }
}

LRESULT f_Dock::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        LayoutContent();
        return 0;
    }
    return BarForm::HandleMessage(message, wParam, lParam);
}

void f_Dock::OnUnload(bool& cancel) {
    UnloadExtraToolbars(Content());
    if (!app_.state.Quitting && !Shutdown(app_, false)) cancel = true;
}

}  // namespace lark::win
