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
    Adjust([&] {
        SetWindowPos(Handle(), nullptr, place.left, place.top, Width(place), Height(place),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    });
    placing_ = false;
    // The place's height is at the DPI of the monitor the window is on now.
    rows_ = BarArrangement::FloatingRows(app_.state.IconSize, static_cast<int32_t>(dpi_), Height(place));
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

void f_Float::IconSizeChanged() {
    EnforceHeight();
    LayoutContent();
}

template <class Change>
void f_Float::Adjust(Change&& change) {
    const bool was = adjusting_;
    adjusting_ = true;
    try {
        change();
    } catch (...) {
        adjusting_ = was;
        throw;
    }
    adjusting_ = was;
}

void f_Float::EnforceHeight() {
    SetRows(rows_);
    if (IsIconic(Handle())) return;
    RECT r{};
    GetWindowRect(Handle(), &r);
    const int height = BarArrangement::FloatingHeightPx(app_.state.IconSize, static_cast<int32_t>(dpi_), rows_);
    if (r.bottom - r.top == height) return;
    Adjust([&] {
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void f_Float::OnDpiChanged(UINT dpi, const RECT* suggested) {
    const UINT old = dpi_;
    ApplyDpi(dpi);
    RECT r{};
    GetWindowRect(Handle(), &r);
    // The same rows at the new DPI's height.
    Adjust([&] {
        if (suggested && inSizeMove_) {
            // Dragged onto the other monitor: the system's rectangle keeps the
            // window under the mouse.
            SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (!placing_ && old != 0) {
            // Where the program put it, as wide in inches as before.
            SetWindowPos(Handle(), nullptr, 0, 0,
                         MulDiv(r.right - r.left, static_cast<int>(dpi), static_cast<int>(old)), r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    });
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
            // Sized by the user or the system: the rows its new height holds.
            if (!adjusting_ && !placing_) {
                RECT r{};
                GetWindowRect(Handle(), &r);
                rows_ = BarArrangement::FloatingRows(app_.state.IconSize, static_cast<int32_t>(dpi_), r.bottom - r.top);
            }
            // Errors here are skipped: a half-done layout beats none.
            Guard([&] { EnforceHeight(); });
            Guard([&] { LayoutContent(); });
            return 0;
        case WM_SIZING: {
            // The user's frame follows whole rows, as the window will: the
            // rows nearest the pointer's way since the sizing began (a
            // frame snapped back at each small step would never grow).
            auto* r = reinterpret_cast<RECT*>(lParam);
            const bool top = wParam == WMSZ_TOP || wParam == WMSZ_TOPLEFT || wParam == WMSZ_TOPRIGHT;
            const bool bottom = wParam == WMSZ_BOTTOM || wParam == WMSZ_BOTTOMLEFT || wParam == WMSZ_BOTTOMRIGHT;
            POINT cursor{};
            GetCursorPos(&cursor);
            const int moved = cursor.y - sizeFrom_.y;
            const int wanted = sizeHeight_ + (top ? -moved : bottom ? moved : 0);
            const int32_t iconSize = app_.state.IconSize;
            const auto dpi = static_cast<int32_t>(dpi_);
            const int32_t rows = BarArrangement::FloatingRows(iconSize, dpi, wanted);
            const int32_t height = BarArrangement::FloatingHeightPx(iconSize, dpi, rows);
            if (top) {
                r->top = r->bottom - height;
            } else {
                r->bottom = r->top + height;
            }
            return TRUE;
        }
        case WM_GETMINMAXINFO: {
            // Never less than one row.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.y =
                BarArrangement::FloatingHeightPx(app_.state.IconSize, static_cast<int32_t>(dpi_), 1);
            return 0;
        }
        case WM_ENTERSIZEMOVE: {
            inSizeMove_ = true;
            RECT r{};
            GetWindowRect(Handle(), &r);
            GetCursorPos(&sizeFrom_);
            sizeHeight_ = r.bottom - r.top;
            break;
        }
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
        s.FloatHeight = TwipsPerPixel(static_cast<int32_t>(dpi_)).Twips(r.bottom - r.top);
    }
    // A shutdown that was abandoned leaves the window as it was.
    if (!s.Quitting && !host_.Quit()) {
        cancel = true;
        return;
    }
    UnloadExtraToolbars(Content());
}

}  // namespace lark::win
