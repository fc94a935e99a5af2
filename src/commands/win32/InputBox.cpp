#include "commands/win32/InputBox.h"

#include <commdlg.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "base/Texts.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/Modal.h"
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
    // Sizes the controls and gives them their font for a DPI.
    std::function<void(UINT dpi)> layout;
};

LRESULT HandleBoxMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_DPICHANGED: {
            // On a monitor of another DPI: the system's rectangle, the controls
            // laid out again.
            const RECT& r = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (state && state->layout) state->layout(HIWORD(wParam));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Barrier([&] { return HandleBoxMessage(hwnd, message, wParam, lParam); },
                   [&] { return DefWindowProcW(hwnd, message, wParam, lParam); });
}

// Placed and given its font by the box's layout.
HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
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
    HWND owner = DialogOwner();
    // Laid out for 96 DPI and scaled to the DPI of the monitor it opens on,
    // the one of the window that asks.
    POINT cursor{};
    GetCursorPos(&cursor);
    const MonitorInfo monitor = owner ? MonitorOfWindow(owner) : MonitorAtPoint(cursor);
    const UINT dpi = static_cast<UINT>(monitor.dpi);
    auto px = [dpi](int at96) { return Scaled(at96, dpi); };
    constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
    const RECT frame = WindowRectForClient(RECT{0, 0, px(414), px(128)}, kStyle, kExStyle, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT at = CentreOn(monitor, width, height);
    at.y = std::max(static_cast<LONG>(monitor.work.top), at.y - height / 6);  // a little above the middle
    HWND box = CreateWindowExW(kExStyle, L"LarkspanInputBox", Widen(title).c_str(), kStyle, at.x, at.y, width,
                               height, owner, nullptr, instance, nullptr);
    if (!box) return std::nullopt;
    BoxState state;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    HWND label = Child(box, L"STATIC", Widen(prompt).c_str(), SS_LEFT, 0);
    HWND ok = Child(box, L"BUTTON", Widen(Text(IDS_OK)).c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
    HWND cancel = Child(box, L"BUTTON", Widen(Text(IDS_CANCEL)).c_str(), BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
    state.edit = Child(box, L"EDIT", Widen(defaultText).c_str(), ES_AUTOHSCROLL | WS_TABSTOP, kEdit, WS_EX_CLIENTEDGE);
    UniqueFont font;
    state.layout = [&](UINT newDpi) {
        auto scaled = [newDpi](int at96) { return Scaled(at96, newDpi); };
        UniqueFont fresh = MessageFontForDpi(newDpi);
        RECT client{};
        GetClientRect(box, &client);
        const LONG right = client.right;
        const LONG bottom = client.bottom;
        const std::pair<HWND, RECT> places[] = {
            {label, RECT{scaled(12), scaled(12), right - scaled(108), scaled(72)}},
            {ok, RECT{right - scaled(96), scaled(12), right - scaled(12), scaled(38)}},
            {cancel, RECT{right - scaled(96), scaled(44), right - scaled(12), scaled(70)}},
            {state.edit, RECT{scaled(12), bottom - scaled(36), right - scaled(12), bottom - scaled(12)}}};
        for (const auto& [control, r] : places) {
            SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fresh.get()), TRUE);
        }
        font = std::move(fresh);  // the old one only once no control holds it
    };
    state.layout(dpi);
    FollowColours(box);
    SendMessageW(state.edit, EM_SETSEL, 0, -1);

    // Modal: the rest of the program waits, its timers still run.
    {
        ModalScope modal(box);
        ShowWindow(box, SW_SHOW);
        SetForegroundWindow(box);
        SetFocus(state.edit);
        modal.Run([&] { return state.done; });
    }
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
    ofn.hwndOwner = DialogOwner();
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
