#include "bar/win32/FindBox.h"

#include <oleacc.h>

#include <algorithm>

#include "bar/win32/Accessible.h"
#include "base/RuntimeError.h"
#include "base/TextIds.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr wchar_t kClassName[] = L"LarkspanFind";
// At 96 DPI.
constexpr int kPadPx = 4;
constexpr int kMinWidthPx = 60;

}  // namespace

FindBox::FindBox(HWND parent) : font_(MessageFontForDpi(SystemDpi())), dpi_(SystemDpi()) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &FindBox::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) Raise(kErrOutOfMemory);
    }
    hwnd_.reset(CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER, 0, 0, 0, 0, parent,
                                nullptr, instance, this));
    if (!hwnd_) Raise(kErrOutOfMemory);
}

FindBox::~FindBox() {
    if (hwnd_) SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
}

void FindBox::Show(const std::string& text, bool matched) {
    text_ = Widen(text);
    matched_ = matched;
    SetWindowTextW(hwnd_.get(), text_.c_str());  // for whoever reads the bar from outside
    if (text_.empty()) {
        ShowWindow(hwnd_.get(), SW_HIDE);
        return;
    }
    Fit();
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
    ShowWindow(hwnd_.get(), SW_SHOWNA);
}

void FindBox::SetDpi(UINT dpi) {
    if (dpi == dpi_) return;
    UniqueFont font = MessageFontForDpi(dpi);
    if (!font) return;
    font_ = std::move(font);
    dpi_ = dpi;
    Fit();
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

int FindBox::Px(int at96) const { return Scaled(at96, dpi_); }

void FindBox::Place(const RECT& area, bool wide) {
    area_ = area;
    wide_ = wide;
    Fit();
}

void FindBox::Fit() {
    WindowDc dc(hwnd_.get());
    SelectGuard font(dc.get(), font_ ? static_cast<HGDIOBJ>(font_.get()) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &extent);
    const int areaWidth = std::max<int>(area_.right - area_.left, 0);
    const int areaHeight = std::max<int>(area_.bottom - area_.top, 0);
    // Long text keeps its end in view; the box never covers more than half
    // the bar, or than a column's width.
    const int room = wide_ ? areaWidth - 2 * Px(kPadPx) : areaWidth / 2;
    const int width = std::min(std::max<int>(extent.cx + 2 * Px(kPadPx) + 2, Px(kMinWidthPx)), room);
    const int height = std::min<int>(extent.cy + Px(kPadPx) + 2, areaHeight);
    const int left = area_.right - width - Px(kPadPx);
    const int top = area_.top + (areaHeight - height) / 2;
    SetWindowPos(hwnd_.get(), HWND_TOP, left, top, width, height, SWP_NOACTIVATE);
}

void FindBox::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_.get(), &ps);
    RECT client{};
    GetClientRect(hwnd_.get(), &client);
    const Palette& colours = CurrentColours();
    FillRect(dc, &client, ColourBrush(colours.findBack));
    SelectGuard font(dc, font_ ? static_cast<HGDIOBJ>(font_.get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, matched_ ? colours.findText : colours.findUnmatched);
    RECT text = client;
    InflateRect(&text, -Px(kPadPx), 0);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &extent);
    // Text too long for the box shows its end, where the typing is.
    const UINT align = extent.cx > text.right - text.left ? DT_RIGHT : DT_LEFT;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | align);
    EndPaint(hwnd_.get(), &ps);
}

LRESULT CALLBACK FindBox::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<FindBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
        try {
            self->Paint();
        } catch (...) {
            ValidateRect(hwnd, nullptr);  // drawing failed: nothing else to do
        }
        return 0;
    }
    // Read as a text named "Find" whose value is what was typed.
    if (message == WM_GETOBJECT) {
        if (const LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, {IDS_FIND, ROLE_SYSTEM_TEXT, 0, 0}))
            return answer;
    }
    if (self && message == AccessibleQuery() && wParam == kAskValue) {
        *reinterpret_cast<std::wstring*>(lParam) = self->text_;
        return TRUE;
    }
    if (self && message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace lark::win
