#include "bar/win32/f_Float.h"

#include <commctrl.h>

#include "base/BarInput.h"

namespace lark::win {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr UINT_PTR kMoveTimer = 1;  // tmrFloat
constexpr UINT kMoveTimerMs = 500;

}  // namespace

void f_Float::Load() {
    if (Loaded()) return;
    CreateFormWindow(WindowSpec{L"LarkspanFloat", kStyle, kExStyle, L"Brindlewick Larkspan", RECT{0, 0, 500, 73},
                                nullptr, icon_});
    CreateContent();
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void f_Float::PlaceAndShow() {
    Load();
    const AppState& s = app_.state;
    const int left = s.FloatLeft / s.TwipsPerPixelX;
    const int top = s.FloatTop / s.TwipsPerPixelY;
    const int width = s.FloatWidth / s.TwipsPerPixelX;
    const int height = HeightTwips(s.IconSize) / s.TwipsPerPixelY;
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    EnableMoveTimer(true);
}

int32_t f_Float::HeightTwips() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return (r.bottom - r.top) * app_.state.TwipsPerPixelY;
}

void f_Float::MoveTo(int32_t leftTwips, int32_t topTwips) {
    SetWindowPos(Handle(), nullptr, leftTwips / app_.state.TwipsPerPixelX, topTwips / app_.state.TwipsPerPixelY, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void f_Float::Show() { ShowWindow(Handle(), SW_SHOW); }

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

void f_Float::EnableMoveTimer(bool enabled) {
    if (enabled) {
        SetTimer(Handle(), kMoveTimer, kMoveTimerMs, nullptr);
    } else {
        KillTimer(Handle(), kMoveTimer);
    }
}

void f_Float::EnforceHeight() {
    if (IsIconic(Handle())) return;
    const AppState& s = app_.state;
    RECT r{};
    GetWindowRect(Handle(), &r);
    const int height = HeightTwips(s.IconSize) / s.TwipsPerPixelY;
    if (r.bottom - r.top != height)
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT f_Float::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) return 0;
            // Errors here are skipped: a half-done layout beats none.
            Guard([&] { EnforceHeight(); });
            Guard([&] { LayoutContent(); });
            return 0;
        case WM_TIMER:
            if (wParam == kMoveTimer) {
                host_.FloatTimerTick();
                return 0;
            }
            break;
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
    // off-screen parking place as its position.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(Handle(), &placement)) {
        const RECT& r = placement.rcNormalPosition;
        s.FloatLeft = r.left * s.TwipsPerPixelX;
        s.FloatTop = r.top * s.TwipsPerPixelY;
        s.FloatWidth = (r.right - r.left) * s.TwipsPerPixelX;
    }
    UnloadExtraToolbars(Content());
    if (!s.Quitting && !host_.Quit()) cancel = true;
}

}  // namespace lark::win
