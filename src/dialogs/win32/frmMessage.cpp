#include "dialogs/win32/frmMessage.h"

#include "base/Texts.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr int kOk = 1;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

HWND Child(HWND parent, HFONT font, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

}  // namespace

std::wstring frmMessage::Text() { return Widen(lark::Text(IDS_EDGE_TAKEN)); }

void frmMessage::Show() {
    if (!Loaded()) {
        pointer_.SetDefault();
        // Laid out for 96 DPI, scaled to the monitor under the mouse, where
        // the user just docked the bar.
        POINT cursor{};
        GetCursorPos(&cursor);
        const MonitorInfo monitor = MonitorAtPoint(cursor);
        dpi_ = static_cast<UINT>(monitor.dpi);
        const RECT frame = WindowRectForClient(RECT{0, 0, Scaled(374, dpi_), Scaled(124, dpi_)}, kStyle, kExStyle, dpi_);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const POINT at = CentreOn(monitor, width, height);
        CreateFormWindow(WindowSpec{L"LarkspanMessage", kStyle, kExStyle, Widen(lark::Text(IDS_EDGE_TAKEN_TITLE)),
                                    RECT{at.x, at.y, at.x + width, at.y + height}});
        CreateControls();
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    ShowWindow(Handle(), SW_SHOW);
    // Enter and Escape reach it through the program's loop (IsDialogMessage).
    if (HWND ok = GetDlgItem(Handle(), kOk)) SetFocus(ok);
}

void frmMessage::CreateControls() {
    auto px = [this](int at96) { return Scaled(at96, dpi_); };
    font_ = MessageFontForDpi(dpi_);
    HFONT font = font_.get();
    RECT client{};
    GetClientRect(Handle(), &client);
    const int iconPx = MetricForDpi(SM_CXICON, dpi_);
    HWND icon = Child(Handle(), font, L"STATIC", nullptr, SS_ICON | SS_REALSIZECONTROL,
                      RECT{px(14), px(14), px(14) + iconPx, px(14) + iconPx}, 0);
    icon_ = LoadIconAtSize(nullptr, MAKEINTRESOURCEW(32515) /* IDI_EXCLAMATION */, iconPx);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    Child(Handle(), font, L"STATIC", Text().c_str(), SS_LEFT,
          RECT{px(28) + iconPx, px(14), client.right - px(14), client.bottom - px(50)}, 0);
    Child(Handle(), font, L"BUTTON", Widen(lark::Text(IDS_EDGE_TAKEN_OK)).c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP,
          RECT{client.right - px(100), client.bottom - px(38), client.right - px(14), client.bottom - px(12)}, kOk);
}

LRESULT frmMessage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // OK, Enter, or Escape (IDCANCEL from the dialog keys).
    if (message == WM_COMMAND && (LOWORD(wParam) == kOk || LOWORD(wParam) == IDCANCEL)) {
        Unload();
        return 0;
    }
    if (message == WM_DPICHANGED) {
        // On a monitor of another DPI: the system's rectangle, the controls anew.
        const RECT& r = *reinterpret_cast<const RECT*>(lParam);
        while (HWND child = GetWindow(Handle(), GW_CHILD)) DestroyWindow(child);
        dpi_ = HIWORD(wParam);
        SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        CreateControls();
        return 0;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
