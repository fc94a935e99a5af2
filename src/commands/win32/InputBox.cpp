#include "commands/win32/InputBox.h"

#include <commdlg.h>

#include <vector>

#include "base/win32/SystemLibrary.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr int kEdit = 100;

struct BoxState {
    HWND edit = nullptr;
    bool done = false;
    bool accepted = false;
    std::wstring text;
};

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (!state) break;
            if (LOWORD(wParam) == IDOK) {
                const int length = GetWindowTextLengthW(state->edit);
                state->text.assign(static_cast<size_t>(length) + 1, L'\0');
                GetWindowTextW(state->edit, state->text.data(), length + 1);
                state->text.resize(static_cast<size_t>(length));
                state->accepted = true;
                state->done = true;
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                state->done = true;
                return 0;
            }
            break;
        case WM_CLOSE:
            if (state) state->done = true;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id,
           DWORD exStyle = 0) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return hwnd;
}

}  // namespace

std::optional<std::string> InputBox::Ask(const std::string& prompt, const std::string& title,
                                         const std::string& defaultText) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, L"LarkspanInputBox", &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = BoxProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"LarkspanInputBox";
        RegisterClassExW(&wc);
    }
    const int width = 420;
    const int height = 160;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 3;
    HWND owner = GetForegroundWindow();
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, L"LarkspanInputBox", Widen(title).c_str(),
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, owner, nullptr, instance,
                               nullptr);
    if (!box) return std::nullopt;
    BoxState state;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    RECT client{};
    GetClientRect(box, &client);
    Child(box, L"STATIC", Widen(prompt).c_str(), SS_LEFT, 12, 12, client.right - 120, 60, 0);
    Child(box, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, client.right - 96, 12, 84, 26, IDOK);
    Child(box, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, client.right - 96, 44, 84, 26, IDCANCEL);
    state.edit = Child(box, L"EDIT", Widen(defaultText).c_str(), ES_AUTOHSCROLL | WS_TABSTOP, 12,
                       client.bottom - 36, client.right - 24, 24, kEdit, WS_EX_CLIENTEDGE);
    SendMessageW(state.edit, EM_SETSEL, 0, -1);

    // Modal: the rest of the program waits, its timers still run.
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(box, SW_SHOW);
    SetForegroundWindow(box);
    SetFocus(state.edit);
    MSG msg;
    while (!state.done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(box, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(box);
    if (owner) SetForegroundWindow(owner);
    if (!state.accepted) return std::nullopt;
    return Narrow(state.text);
}

std::optional<std::string> FileDialog::OpenFile(const std::string& title, const std::string& filter,
                                                int filterIndex) {
    // "Name|pattern|..." becomes the NUL-separated list the dialog wants.
    std::wstring filters = Widen(filter);
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters.push_back(L'\0');
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring wideTitle = Widen(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetForegroundWindow();
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = wideTitle.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    static const auto open = SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open(&ofn)) return std::nullopt;
    return Narrow(file.data());
}

}  // namespace lark::win
