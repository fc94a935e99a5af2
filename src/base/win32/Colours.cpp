#include "base/win32/Colours.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>

#include "base/win32/Barrier.h"
#include "base/win32/Handles.h"
#include "base/win32/SystemColours.h"
#include "base/win32/SystemLibrary.h"

namespace lark::win {
namespace {

Palette& Current() {
    static Palette palette = MakePalette(PaletteKind::Light, SystemColourService().Colours());
    return palette;
}

// Once a window went dark, going light again must undo what was set.
bool g_wentDark = false;

template <class F>
F OptionalFunction(const wchar_t* dll, const char* name) {
    try {
        return SystemFunction<F>(dll, name);
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

// The themes Windows 10 and 11 give their own dark controls; null names
// go back to the window's default theme. Systems without them ignore them.
void SetTheme(HWND window, const wchar_t* name, const wchar_t* ids = nullptr) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto set = OptionalFunction<SetWindowThemeFn>(L"uxtheme.dll", "SetWindowTheme");
    if (set) set(window, name, ids);
}

void SetDarkCaption(HWND window, bool dark) {
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return;
    using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const auto set = OptionalFunction<SetAttributeFn>(L"dwmapi.dll", "DwmSetWindowAttribute");
    if (!set) return;
    // DWMWA_USE_IMMERSIVE_DARK_MODE: 20 since Windows 10 2004, 19 in the
    // builds before; systems older still refuse both and keep their caption.
    const BOOL on = dark ? TRUE : FALSE;
    if (FAILED(set(window, 20, &on, sizeof on))) set(window, 19, &on, sizeof on);
}

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t cls[64] = L"";
    return GetClassNameW(window, cls, 64) > 0 && _wcsicmp(cls, name) == 0;
}

// Push buttons and edits have dark themes of their own; check boxes, radio
// buttons and group boxes draw our colours only without a theme, which
// keeps the text colour they are given.
BOOL CALLBACK ThemeControl(HWND control, LPARAM dark) noexcept {
    return Barrier([&] {
        if (IsClass(control, WC_BUTTONW)) {
            const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
            const bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
            if (!dark) {
                SetTheme(control, nullptr, nullptr);
            } else if (push) {
                SetTheme(control, L"DarkMode_Explorer");
            } else {
                // A name no theme has: the control draws itself classic.
                SetTheme(control, L" ", L" ");
            }
        } else if (IsClass(control, WC_EDITW)) {
            SetTheme(control, dark ? L"DarkMode_CFD" : nullptr);
        }
        return TRUE;
    }, [] { return TRUE; });
}

void ColourToolTip(HWND tip, const Palette& palette) {
    SetTheme(tip, palette.Dark() ? L"DarkMode_Explorer" : nullptr);
    SendMessageW(tip, TTM_SETTIPBKCOLOR, palette.tipBack, 0);
    SendMessageW(tip, TTM_SETTIPTEXTCOLOR, palette.tipText, 0);
}

BOOL CALLBACK RecolourWindow(HWND window, LPARAM) noexcept {
    Barrier([&] {
        ColourWindow(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    });
    return TRUE;
}

BOOL CALLBACK SendSystemColours(HWND control, LPARAM) noexcept {
    SendMessageW(control, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT CALLBACK FollowingDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR) noexcept {
    return Barrier([&] {
        LRESULT result = 0;
        if (AnswerColours(window, message, wParam, lParam, result)) return result;
        if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &FollowingDialog, id);
        return DefSubclassProc(window, message, wParam, lParam);
    }, [&] { return DefSubclassProc(window, message, wParam, lParam); });
}

// A dialog's tab control: its page in the dialog's own background, so
// the controls on it sit on the colour they are drawn with.
LRESULT CALLBACK FollowingTabs(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR) noexcept {
    return Barrier([&]() -> LRESULT {
        const Palette& palette = CurrentColours();
        if (palette.Dark() && message == WM_ERASEBKGND) return 1;
        if (palette.Dark() && message == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(tabs, &ps);
            PaintTabs(tabs, dc, 0, palette.background);
            if (!wParam) EndPaint(tabs, &ps);
            return 0;
        }
        if (message == WM_NCDESTROY) RemoveWindowSubclass(tabs, &FollowingTabs, id);
        return DefSubclassProc(tabs, message, wParam, lParam);
    }, [&] { return DefSubclassProc(tabs, message, wParam, lParam); });
}

BOOL CALLBACK FollowTabs(HWND control, LPARAM) noexcept {
    if (IsClass(control, WC_TABCONTROLW)) SetWindowSubclass(control, &FollowingTabs, 0, 0);
    return TRUE;
}

LRESULT CALLBACK MessageBoxHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    // Activated: the box and its controls exist, nothing is painted yet.
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsClass(window, L"#32770")) Barrier([&] { FollowColours(window); });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void FrameLines(HDC dc, const RECT& r, Colour colour, bool bottom) {
    HBRUSH brush = ColourBrush(colour);
    const RECT left{r.left, r.top, r.left + 1, r.bottom};
    const RECT top{r.left, r.top, r.right, r.top + 1};
    const RECT right{r.right - 1, r.top, r.right, r.bottom};
    const RECT under{r.left, r.bottom - 1, r.right, r.bottom};
    for (const RECT& line : {left, top, right}) FillRect(dc, &line, brush);
    if (bottom) FillRect(dc, &under, brush);
}

}  // namespace

const Palette& CurrentColours() { return Current(); }

HBRUSH ColourBrush(Colour colour) {
    static std::map<Colour, UniqueBrush> brushes;
    UniqueBrush& brush = brushes[colour];
    if (!brush) brush.reset(CreateSolidBrush(colour));
    return brush.get();
}

void UseColours(const Palette& palette) {
    Current() = palette;
    EnumThreadWindows(GetCurrentThreadId(), &RecolourWindow, 0);
}

void ForwardSystemColours(HWND parent) { EnumChildWindows(parent, &SendSystemColours, 0); }

void ColourWindow(HWND window) {
    const Palette& palette = CurrentColours();
    if (!window || !(palette.Dark() || g_wentDark)) return;
    g_wentDark = g_wentDark || palette.Dark();
    if (IsClass(window, TOOLTIPS_CLASSW)) {
        ColourToolTip(window, palette);
        return;
    }
    SetDarkCaption(window, palette.Dark());
    EnumChildWindows(window, &ThemeControl, palette.Dark() ? 1 : 0);
    // The tooltips a window's controls made are owned top-level windows.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND tip, LPARAM owner) noexcept -> BOOL {
            if (GetWindow(tip, GW_OWNER) == reinterpret_cast<HWND>(owner) && IsClass(tip, TOOLTIPS_CLASSW))
                Barrier([&] { ColourToolTip(tip, CurrentColours()); });
            return TRUE;
        },
        reinterpret_cast<LPARAM>(window));
}

bool AnswerColours(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const Palette& palette = CurrentColours();
    if (!palette.Dark()) return false;
    HDC dc = reinterpret_cast<HDC>(wParam);
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window, &client);
            FillRect(dc, &client, ColourBrush(palette.background));
            result = 1;
            return true;
        }
        case WM_CTLCOLORDLG:
            result = reinterpret_cast<LRESULT>(ColourBrush(palette.background));
            return true;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetTextColor(dc, IsWindowEnabled(reinterpret_cast<HWND>(lParam)) ? palette.text : palette.menuDisabled);
            SetBkColor(dc, palette.background);
            result = reinterpret_cast<LRESULT>(ColourBrush(palette.background));
            return true;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            SetTextColor(dc, palette.editText);
            SetBkColor(dc, palette.editBack);
            result = reinterpret_cast<LRESULT>(ColourBrush(palette.editBack));
            return true;
        default:
            return false;
    }
}

void FollowColours(HWND dialog) {
    if (!dialog) return;
    SetWindowSubclass(dialog, &FollowingDialog, 0, 0);
    EnumChildWindows(dialog, &FollowTabs, 0);
    ColourWindow(dialog);
}

ColouredMessageBoxes::ColouredMessageBoxes() {
    // A box in the system's colours needs no help.
    if (CurrentColours().Dark()) hook_ = SetWindowsHookExW(WH_CBT, &MessageBoxHook, nullptr, GetCurrentThreadId());
}

ColouredMessageBoxes::~ColouredMessageBoxes() {
    if (hook_) UnhookWindowsHookEx(hook_);
}

void PaintTabs(HWND tabs, HDC target, int highlighted, Colour page) {
    const Palette& palette = CurrentColours();
    RECT client{};
    GetClientRect(tabs, &client);
    // Drawn off screen and copied at once: no flicker of the parts.
    UniqueMemoryDc dc(CreateCompatibleDC(target));
    UniqueBitmap surface(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (!dc || !surface) return;
    SelectGuard pickSurface(dc.get(), surface.get());
    FillRect(dc.get(), &client, ColourBrush(palette.background));

    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    int rowBottom = client.top;
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
            rowBottom = std::max<int>(rowBottom, r.bottom);
    }
    const RECT pageRect{client.left, rowBottom, client.right, client.bottom};
    FillRect(dc.get(), &pageRect, ColourBrush(page));
    FrameLines(dc.get(), pageRect, palette.border, true);

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(tabs, WM_GETFONT, 0, 0));
    SelectGuard pickFont(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), palette.tabText);
    // The selected tab last: it stands out over its neighbours and joins the page.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            if ((i == selected) != (pass == 1)) continue;
            RECT r{};
            if (!SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
            Colour fill = i + 1 == highlighted ? palette.dropTarget : palette.tab;
            if (i == selected) {
                InflateRect(&r, 2, 0);
                r.top -= 2;
                r.bottom += 1;
                fill = i + 1 == highlighted ? palette.dropTarget : page;
            }
            FillRect(dc.get(), &r, ColourBrush(fill));
            FrameLines(dc.get(), r, palette.border, false);
            wchar_t text[260] = L"";
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 260;
            SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            RECT label = r;
            InflateRect(&label, -4, 0);
            DrawTextW(dc.get(), text, -1, &label, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
            const auto ui = static_cast<UINT>(SendMessageW(tabs, WM_QUERYUISTATE, 0, 0));
            if (i == selected && GetFocus() == tabs && !(ui & UISF_HIDEFOCUS)) {
                RECT focus = r;
                InflateRect(&focus, -3, -3);
                DrawFocusRect(dc.get(), &focus);
            }
        }
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

}  // namespace lark::win
