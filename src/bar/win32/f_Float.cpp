#include "bar/win32/f_Float.h"

#include "bar/BarInput.h"

namespace lark::win {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

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
        default:
            return BarForm::HandleMessage(message, wParam, lParam);
    }
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
    if (!s.Quitting && !Shutdown(app_, false)) cancel = true;
}

}  // namespace lark::win
