#include "bar/win32/f_Dock.h"

#include <shellapi.h>
#include <windowsx.h>

#include "base/BarInput.h"
#include "base/RuntimeError.h"
#include "base/win32/EventLoop.h"

namespace lark::win {
namespace {

constexpr UINT_PTR kHideTimer = 2;  // tmrHide
constexpr UINT kHideTimerMs = 500;

}  // namespace

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

void f_Dock::Show() {
    ShowWindow(Handle(), SW_SHOWNA);
    AfterShow();
}

void f_Dock::Hide() {
    Load();
    ShowWindow(Handle(), SW_HIDE);
}

void f_Dock::Place(int32_t x, int32_t y, int32_t width, int32_t height, Flags flags) {
    // Revealed under the mouse, the bar leaves the keyboard where it is.
    SetWindowPos(Handle(), HWND_TOP, x, y, width, height,
                 SWP_NOACTIVATE | (flags == Flags::ShowWindow ? SWP_SHOWWINDOW : 0));
}

void f_Dock::SetColumn(bool column) {
    Load();
    Bar().SetColumn(column);
    LayoutContent();
}

bool f_Dock::InUse() const {
    // A dialog of the program disables the bar while it is up.
    return menuOpen_ || draggingButton_ || !IsWindowEnabled(Handle());
}

void f_Dock::OnButtonDrag(int32_t toolbarIndex, const std::string& key) {
    draggingButton_ = true;
    BarForm::OnButtonDrag(toolbarIndex, key);
    draggingButton_ = false;
}

void f_Dock::MakeTopmost() {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void f_Dock::DropTopmost() {
    SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void f_Dock::SetPlacement(const WindowPlacement& placement) {
    WINDOWPLACEMENT native{};
    native.length = sizeof native;
    native.flags = placement.flags;
    native.showCmd = placement.showCmd == 0 ? SW_SHOWNA : placement.showCmd;
    native.ptMinPosition = POINT{placement.minPosition.x, placement.minPosition.y};
    native.ptMaxPosition = POINT{placement.maxPosition.x, placement.maxPosition.y};
    const RectPx& r = placement.normalPosition;
    native.rcNormalPosition = RECT{r.left, r.top, r.right, r.bottom};
    if (!SetWindowPlacement(Handle(), &native)) Raise(kErrInvalidCall);
}

namespace {
// The screen point of the message being handled: under load the pointer may
// have moved on before the press or release is read.
PointPx MessagePoint() {
    const DWORD at = GetMessagePos();
    return PointPx{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}
}  // namespace

void f_Dock::OnTabMouseDown(const MouseArgs&) { host_.DockedTabMouseDown(MessagePoint()); }
void f_Dock::OnTabMouseUp(const MouseArgs& args) {
    BarForm::OnTabMouseUp(args);
    host_.DockedTabMouseUp(args.button, MessagePoint());
}
void f_Dock::OnTabMouseMove(const MouseArgs&) { host_.DockedReveal(); }
void f_Dock::OnTabMouseEnter(const MouseArgs&) { host_.DockedReveal(); }
void f_Dock::OnToolbarMouseMove(int32_t, const MouseArgs&) { host_.DockedReveal(); }
// A drag brings no mouse moves: an auto-hidden bar shows itself to it.
void f_Dock::OnDragOverBar() { host_.DockedReveal(); }

void f_Dock::EnableHideTimer(bool enabled) {
    if (enabled) {
        SetTimer(Handle(), kHideTimer, kHideTimerMs, nullptr);
    } else {
        KillTimer(Handle(), kHideTimer);
    }
}

LRESULT f_Dock::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    switch (message) {
        case WM_SIZE:
            LayoutContent();
            return 0;
        case WM_TIMER:
            if (wParam == kHideTimer) {
                EventLoop::CountTick();
                host_.DockedHideTimerTick();
                return 0;
            }
            break;
        case kAppBarCallback:
            switch (wParam) {
                case ABN_FULLSCREENAPP: host_.FullScreenApp(lParam != 0); break;
                // The taskbar's auto-hide or always-on-top state changed:
                // the room it keeps may have changed with it.
                case ABN_STATECHANGE:
                case ABN_POSCHANGED: host_.AppBarPosChanged(); break;
                default: break;
            }
            return 0;
        case WM_ACTIVATE:
            host_.DockActivated();
            break;
        // The popup menu's own loop: the hide timer still ticks inside it.
        case WM_ENTERMENULOOP:
            menuOpen_ = true;
            break;
        case WM_EXITMENULOOP:
            menuOpen_ = false;
            break;
        case WM_WINDOWPOSCHANGED:
            host_.DockWindowPosChanged();
            break;
        default:
            if (message == taskbarCreated && taskbarCreated != 0) {
                host_.ShellRestarted();
                return 0;
            }
            break;
    }
    return BarForm::HandleMessage(message, wParam, lParam);
}

void f_Dock::OnDpiChanged(UINT dpi, const RECT* suggested) {
    // An appbar's place is the shell's to give: not the suggested rectangle
    // but its edge again, at the new thickness.
    (void)suggested;
    ApplyDpi(dpi);
    host_.DockDpiChanged(dpi);
}

void f_Dock::OnUnload(bool& cancel) {
    // A shutdown that was abandoned leaves the window as it was.
    if (!app_.state.Quitting && !host_.Quit()) {
        cancel = true;
        return;
    }
    UnloadExtraToolbars(Content());
}

}  // namespace lark::win
