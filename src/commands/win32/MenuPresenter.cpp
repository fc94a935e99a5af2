#include "commands/win32/MenuPresenter.h"

#include <commctrl.h>

#include <algorithm>

#include "base/win32/Handles.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr int kPicturePx = 16;
constexpr int kGutterPx = 24;  // picture or check mark column
constexpr int kItemHeightPx = 22;
constexpr int kSeparatorHeightPx = 7;
constexpr int kPaddingPx = 8;

HFONT MenuFont(bool bold) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&metrics.lfMenuFont);
}

}  // namespace

MenuPresenter* MenuPresenter::active_ = nullptr;

int32_t MenuPresenter::Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner,
                             int32_t x, int32_t y) {
    HWND control = reinterpret_cast<HWND>(owner);
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return 0;
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        const auto id = static_cast<UINT_PTR>(i + 1);
        if (item.caption == "-") {
            AppendMenuW(menu, MF_SEPARATOR, id, nullptr);
            continue;
        }
        UINT flags = MF_OWNERDRAW;
        if (!item.enabled || item.header) flags |= MF_GRAYED;
        if (item.checked) flags |= MF_CHECKED;
        AppendMenuW(menu, flags, id, reinterpret_cast<LPCWSTR>(i));
    }
    POINT at{x / scale_.x, y / scale_.y};
    ClientToScreen(control, &at);
    items_ = &items;
    colours_ = colours;
    active_ = this;
    // The menu closes properly only when its window is in the foreground.
    SetForegroundWindow(window);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                       at.x, at.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    active_ = nullptr;
    items_ = nullptr;
    DestroyMenu(menu);
    return chosen;
}

bool MenuPresenter::HandleMessage(UINT message, LPARAM lParam) {
    if (!active_ || !active_->items_) return false;
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU) return false;
        active_->Measure(*measure);
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU) return false;
        active_->Draw(*draw);
        return true;
    }
    return false;
}

void MenuPresenter::Measure(MEASUREITEMSTRUCT& measure) const {
    const MenuItem& item = (*items_)[measure.itemData];
    UniqueFont font(MenuFont(item.header));
    WindowDc dc(nullptr);
    SelectGuard pick(dc.get(), font.get());
    SIZE size{};
    const std::wstring text = Widen(item.caption);
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    measure.itemWidth = static_cast<UINT>(kGutterPx + kPaddingPx * 2 + size.cx);
    measure.itemHeight = static_cast<UINT>(item.caption == "-" ? kSeparatorHeightPx : kItemHeightPx);
}

void MenuPresenter::Draw(const DRAWITEMSTRUCT& draw) const {
    const MenuItem& item = (*items_)[draw.itemData];
    HDC dc = draw.hDC;
    RECT r = draw.rcItem;
    const bool selected = (draw.itemState & ODS_SELECTED) && item.enabled && !item.header;
    // Colours are stored blue-green-red, as COLORREF keeps them.
    const COLORREF back = item.header ? static_cast<COLORREF>(colours_.first)
                                      : GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    COLORREF fore = item.header ? static_cast<COLORREF>(colours_.second)
                                : GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (!item.header && !item.enabled) fore = GetSysColor(COLOR_GRAYTEXT);
    UniqueBrush brush(CreateSolidBrush(back));
    FillRect(dc, &r, brush.get());

    const int middle = (r.top + r.bottom) / 2;
    if (item.image >= 0) {
        ImageList_Draw(images_.Handle(), item.image, dc, r.left + (kGutterPx - kPicturePx) / 2, middle - kPicturePx / 2,
                       item.enabled ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
    } else if (item.checked) {
        // A check mark drawn as two strokes, in the text colour.
        UniquePen pen(CreatePen(PS_SOLID, 2, fore));
        SelectGuard pick(dc, pen.get());
        const int left = r.left + 7;
        MoveToEx(dc, left, middle, nullptr);
        LineTo(dc, left + 3, middle + 3);
        LineTo(dc, left + 9, middle - 4);
    }
    UniqueFont font(MenuFont(item.header));
    SelectGuard pickFont(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fore);
    RECT text = r;
    text.left += item.header ? kPaddingPx : kGutterPx + kPaddingPx;
    const std::wstring caption = Widen(item.caption);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

}  // namespace lark::win
