#include "bar/win32/f_Float.h"

#include <commctrl.h>

#include "base/BarInput.h"
#include "base/win32/Dpi.h"

namespace lark::win {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
// Posted when the window has moved outside a move of the user's: the check
// runs once the move's own work is done.
constexpr UINT kMovedMessage = WM_APP + 2;

}  // namespace

void f_Float::Load() {
    if (Loaded()) return;
    CreateFormWindow(WindowSpec{L"LarkspanFloat", kStyle, kExStyle, L"Brindlewick Larkspan", RECT{0, 0, 500, 73},
                                nullptr, icon_});
    CreateContent();
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void f_Float::PlaceAndShow(const RectPx& place) {
    Load();
    placing_ = true;
    SetWindowPos(Handle(), nullptr, place.left, place.top, Width(place), Height(place), SWP_NOZORDER | SWP_NOACTIVATE);
    placing_ = false;
    EnforceHeight();
    ShowWindow(Handle(), SW_SHOWNORMAL);
    AfterShow();
    EnableMoveDetection(true);
}

void f_Float::MoveTo(PointPx topLeft) {
    SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void f_Float::Show() {
    ShowWindow(Handle(), SW_SHOW);
    AfterShow();
}

void f_Float::Hide() { ShowWindow(Handle(), SW_HIDE); }

WindowPlacement f_Float::Placement() const {
    WINDOWPLACEMENT native{};
    native.length = sizeof native;
    GetWindowPlacement(Handle(), &native);
    WindowPlacement p;
    p.length = app_.state.BarPlacement.length;
    p.flags = native.flags;
    p.showCmd = native.showCmd;
    p.minPosition = PointPx{native.ptMinPosition.x, native.ptMinPosition.y};
    p.maxPosition = PointPx{native.ptMaxPosition.x, native.ptMaxPosition.y};
    const RECT& r = native.rcNormalPosition;
    p.normalPosition = RectPx{r.left, r.top, r.right, r.bottom};
    return p;
}

void f_Float::EnableMoveDetection(bool enabled) { moveDetection_ = enabled; }

void f_Float::EnforceHeight() {
    if (IsIconic(Handle())) return;
    const AppState& s = app_.state;
    RECT r{};
    GetWindowRect(Handle(), &r);
    const int height = TwipsPerPixel(static_cast<int32_t>(dpi_)).Pixels(BarArrangement::FloatingHeightTwips(s.IconSize));
    if (r.bottom - r.top != height)
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void f_Float::OnDpiChanged(UINT dpi, const RECT* suggested) {
    const UINT old = dpi_;
    ApplyDpi(dpi);
    RECT r{};
    GetWindowRect(Handle(), &r);
    if (suggested && inSizeMove_) {
        // Dragged onto the other monitor: the system's rectangle keeps the
        // window under the mouse.
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (!placing_ && old != 0) {
        // Where the program put it, as wide in inches as before.
        SetWindowPos(Handle(), nullptr, 0, 0, MulDiv(r.right - r.left, static_cast<int>(dpi), static_cast<int>(old)),
                     r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EnforceHeight();
}

void f_Float::OnMoveEnded() {
    // The system may not tell a tool window that it is now on a monitor of
    // another DPI.
    const UINT monitorDpi = static_cast<UINT>(MonitorOfWindow(Handle()).dpi);
    if (monitorDpi != dpi_) OnDpiChanged(monitorDpi, nullptr);
    if (moveDetection_) host_.FloatMoved();
}

LRESULT f_Float::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) return 0;
            // Errors here are skipped: a half-done layout beats none.
            Guard([&] { EnforceHeight(); });
            Guard([&] { LayoutContent(); });
            return 0;
        case WM_ENTERSIZEMOVE:
            inSizeMove_ = true;
            break;
        case WM_EXITSIZEMOVE:
            inSizeMove_ = false;
            OnMoveEnded();
            break;
        case WM_WINDOWPOSCHANGED: {
            // Moved by other means than the user's drag (the keyboard, the
            // system, another program): checked once the move is done.
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (moveDetection_ && !inSizeMove_ && !movePosted_ && !(pos->flags & SWP_NOMOVE)) {
                movePosted_ = PostMessageW(Handle(), kMovedMessage, 0, 0) != FALSE;
            }
            break;
        }
        case kMovedMessage:
            movePosted_ = false;
            if (moveDetection_ && !inSizeMove_) OnMoveEnded();
            return 0;
        case WM_DISPLAYCHANGE:
            host_.DisplayChanged();
            break;
        case WM_ENDSESSION:
            // Logging off or shutting down: give the edge back, keep the settings.
            if (wParam) host_.EndSession();
            return 0;
        default:
            break;
    }
    return BarForm::HandleMessage(message, wParam, lParam);
}

void f_Float::OnUnload(bool& cancel) {
    AppState& s = app_.state;
    // The restored rectangle, so a minimised window does not store the
    // off-screen parking place as its position. The place is in the
    // system's twips, the width in the window's own.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(Handle(), &placement)) {
        const RECT& r = placement.rcNormalPosition;
        s.FloatLeft = s.TwipsPerPixelX.Twips(r.left);
        s.FloatTop = s.TwipsPerPixelY.Twips(r.top);
        s.FloatWidth = TwipsPerPixel(static_cast<int32_t>(dpi_)).Twips(r.right - r.left);
    }
    // A shutdown that was abandoned leaves the window as it was.
    if (!s.Quitting && !host_.Quit()) {
        cancel = true;
        return;
    }
    UnloadExtraToolbars(Content());
}

}  // namespace lark::win
