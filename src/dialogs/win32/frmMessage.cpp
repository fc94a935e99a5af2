#include "dialogs/win32/frmMessage.h"

namespace lark::win {
namespace {

constexpr int kOk = 1;

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return hwnd;
}

}  // namespace

const wchar_t* frmMessage::Text() {
    return L"An Zentrol is already hidden on this side of your screen. \r\n\r\n"
           L"You can have only one auto-hide appbar per side.";
}

void frmMessage::Show() {
    if (!Loaded()) {
        pointer_.SetDefault();
        const int width = 380;
        const int height = 150;
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        CreateFormWindow(WindowSpec{L"LarkspanMessage", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
                                    kCaption, RECT{x, y, x + width, y + height}});
        RECT client{};
        GetClientRect(Handle(), &client);
        HWND icon = Child(Handle(), L"STATIC", nullptr, SS_ICON, RECT{14, 14, 46, 46}, 0);
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_EXCLAMATION)), 0);
        Child(Handle(), L"STATIC", Text(), SS_LEFT, RECT{60, 14, client.right - 14, client.bottom - 50}, 0);
        Child(Handle(), L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
              RECT{client.right - 100, client.bottom - 38, client.right - 14, client.bottom - 12}, kOk);
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    ShowWindow(Handle(), SW_SHOW);
}

LRESULT frmMessage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kOk) {
        Unload();
        return 0;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
