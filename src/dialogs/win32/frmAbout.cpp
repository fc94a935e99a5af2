#include "dialogs/win32/frmAbout.h"

#include <commctrl.h>

namespace lark::win {
namespace {

constexpr int kOk = 1;
constexpr int kSysInfo = 2;
constexpr int kWidth = 420;
constexpr int kHeight = 200;

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
    return hwnd;
}

}  // namespace

void frmAbout::Load() {
    if (Loaded()) return;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    CreateFormWindow(WindowSpec{L"LarkspanAbout", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
                                L"About Larkspan", RECT{x, y, x + kWidth, y + kHeight}, nullptr, icon_});
    RECT client{};
    GetClientRect(Handle(), &client);
    const int w = client.right;
    lblTitle_ = Child(Handle(), L"STATIC", L"Larkspan", SS_LEFT, 16, 16, w - 32, 20, 0);
    progress_ = Child(Handle(), PROGRESS_CLASSW, L"", 0, 16, client.bottom - 80, w - 32, 18, 0);
    ShowWindow(progress_, SW_HIDE);
    cmdOK_ = Child(Handle(), L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, w - 112, client.bottom - 44, 96, 28, kOk);
    cmdSysInfo_ = Child(Handle(), L"BUTTON", L"&System Info...", BS_PUSHBUTTON | WS_TABSTOP, w - 216,
                        client.bottom - 44, 96, 28, kSysInfo);
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void frmAbout::ShowProgress(int32_t maximum) {
    Load();
    SendMessageW(progress_, PBM_SETRANGE32, 0, maximum);
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    ShowWindow(progress_, SW_SHOW);
    EnableWindow(cmdOK_, FALSE);
    EnableWindow(cmdSysInfo_, FALSE);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(Handle());
}

void frmAbout::SetProgress(int32_t value) {
    // Each position repaints the bar at once; a few dozen a second look the
    // same as one per line and leave a long load its speed.
    const unsigned long long now = GetTickCount64();
    if (now - lastProgressTick_ < 15) return;
    lastProgressTick_ = now;
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kOk) {
        Unload();
        return 0;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
