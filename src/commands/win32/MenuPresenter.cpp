#include "commands/win32/MenuPresenter.h"

#include <commctrl.h>

#include <algorithm>

#include "base/win32/Dpi.h"
#include "base/win32/Handles.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

// At 96 DPI.
constexpr int kGutterPx = 24;  // picture or check mark column
constexpr int kItemHeightPx = 22;
constexpr int kSeparatorHeightPx = 7;
constexpr int kPaddingPx = 8;

}  // namespace

MenuPresenter* MenuPresenter::active_ = nullptr;

HMENU MenuPresenter::MakeMenu(const std::vector<MenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
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
    return menu;
}

void MenuPresenter::Prepare(POINT at, const KeyedImageList* pictures, const std::vector<MenuItem>& items,
                            const MenuColours& colours) {
    // Measured for the monitor it opens on, which the owner may not be on.
    dpi_ = static_cast<UINT>(MonitorAtPoint(at).dpi);
    font_ = MenuFontForDpi(dpi_, false);
    boldFont_ = MenuFontForDpi(dpi_, true);
    pictures_ = pictures ? pictures : &images_(PictureSizePx(false, static_cast<int32_t>(dpi_)));
    items_ = &items;
    colours_ = colours;
    active_ = this;
}

void MenuPresenter::Finish(HWND window, HMENU menu) {
    PostMessageW(window, WM_NULL, 0, 0);
    active_ = nullptr;
    items_ = nullptr;
    pictures_ = nullptr;
    DestroyMenu(menu);
}

int32_t MenuPresenter::Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner,
                             int32_t x, int32_t y) {
    HWND control = reinterpret_cast<HWND>(owner);
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return 0;
    HMENU menu = MakeMenu(items);
    if (!menu) return 0;
    POINT at{scale_.x.NearestPixels(x), scale_.y.NearestPixels(y)};
    ClientToScreen(control, &at);
    Prepare(at, nullptr, items, colours);
    // The menu closes properly only when its window is in the foreground.
    SetForegroundWindow(window);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                       at.x, at.y, 0, window, nullptr);
    Finish(window, menu);
    return chosen;
}

MenuPresenter::ListChoice MenuPresenter::PopupList(const std::vector<MenuItem>& items,
                                                   const KeyedImageList& pictures, HWND owner, const RECT& below) {
    HWND window = GetAncestor(owner, GA_ROOT);
    if (!window || items.empty()) return {};
    HMENU menu = MakeMenu(items);
    if (!menu) return {};
    Prepare(POINT{below.left, below.bottom}, &pictures, items, MenuColours{});
    list_ = menu;
    contextItem_ = 0;
    // The right button and the menu key are the item's own menu, which the
    // menu's loop keeps to itself: they are caught on their way in.
    filter_ = SetWindowsHookExW(WH_MSGFILTER, &MenuPresenter::ListFilter, nullptr, GetCurrentThreadId());
    SetForegroundWindow(window);
    // Below the rectangle, or above it on a bar at the monitor's bottom: a
    // system that ignores the rectangle to keep clear of would otherwise
    // lay the menu over it.
    const MonitorInfo monitor = MonitorAtPoint(POINT{below.left, below.top});
    const bool above = below.top - monitor.bounds.top > monitor.bounds.bottom - below.bottom;
    TPMPARAMS params{sizeof params, below};
    const UINT flags =
        TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_LEFTALIGN | TPM_VERTICAL | (above ? TPM_BOTTOMALIGN : TPM_TOPALIGN);
    const BOOL chosen =
        TrackPopupMenuEx(menu, flags, below.left, above ? below.top : below.bottom, window, &params);
    if (filter_) UnhookWindowsHookEx(filter_);
    filter_ = nullptr;
    list_ = nullptr;
    Finish(window, menu);
    if (contextItem_ > 0) return ListChoice{contextItem_, true};
    return ListChoice{chosen, false};
}

LRESULT CALLBACK MenuPresenter::ListFilter(int code, WPARAM wParam, LPARAM lParam) noexcept {
    MenuPresenter* self = active_;
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_MENU && self && self->list_ && msg) {
        int item = -1;
        if (msg->message == WM_RBUTTONUP) {
            item = MenuItemFromPoint(nullptr, self->list_, msg->pt);
        } else if (msg->message == WM_KEYDOWN &&
                   (msg->wParam == VK_APPS || (msg->wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000)))) {
            const int count = GetMenuItemCount(self->list_);
            for (int i = 0; i < count && item < 0; ++i)
                if (GetMenuState(self->list_, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) item = i;
        }
        if (item >= 0) {
            self->contextItem_ = item + 1;
            EndMenu();
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool MenuPresenter::HandleMessage(UINT message, LPARAM lParam) {
    if (!active_ || !active_->items_ || !active_->pictures_) return false;
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
    WindowDc dc(nullptr);
    SelectGuard pick(dc.get(), item.header ? boldFont_.get() : font_.get());
    SIZE size{};
    const std::wstring text = Widen(item.caption);
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    // Room for the text at this DPI even where the font grows faster than
    // the DPI does.
    const int itemHeight = std::max(Px(kItemHeightPx), static_cast<int>(size.cy) + Px(6));
    measure.itemWidth = static_cast<UINT>(Px(kGutterPx) + Px(kPaddingPx) * 2 + size.cx);
    measure.itemHeight = static_cast<UINT>(item.caption == "-" ? Px(kSeparatorHeightPx) : itemHeight);
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
    const int picture = pictures_->Size();
    if (item.image >= 0) {
        ImageList_Draw(pictures_->Handle(), item.image, dc, r.left + (Px(kGutterPx) - picture) / 2,
                       middle - picture / 2, item.enabled ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
    } else if (item.checked) {
        // A check mark drawn as two strokes, in the text colour.
        UniquePen pen(CreatePen(PS_SOLID, Px(2), fore));
        SelectGuard pick(dc, pen.get());
        const int left = r.left + Px(7);
        MoveToEx(dc, left, middle, nullptr);
        LineTo(dc, left + Px(3), middle + Px(3));
        LineTo(dc, left + Px(9), middle - Px(4));
    }
    SelectGuard pickFont(dc, item.header ? boldFont_.get() : font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fore);
    RECT text = r;
    text.left += item.header ? Px(kPaddingPx) : Px(kGutterPx) + Px(kPaddingPx);
    const std::wstring caption = Widen(item.caption);
    // A name's "&" is its own, no access key.
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

int MenuPresenter::Px(int at96) const { return Scaled(at96, dpi_); }

}  // namespace lark::win
