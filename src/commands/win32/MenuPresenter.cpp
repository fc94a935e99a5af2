#include "commands/win32/MenuPresenter.h"

#include <commctrl.h>

#include <algorithm>

#include "base/win32/Colours.h"
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

HMENU MenuPresenter::MakeMenu(const std::vector<MenuItem>& items, const std::vector<std::string>& texts) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    const Palette& palette = CurrentColours();
    // The margins around the items, which the system paints.
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = ColourBrush(palette.menuBack);
    SetMenuInfo(menu, &info);
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        const auto id = static_cast<UINT>(i + 1);
        if (item.caption == "-") {
            // The system's separator is a light line; the dark one is drawn here.
            const UINT dark = palette.Dark() ? MF_OWNERDRAW : 0;
            AppendMenuW(menu, MF_SEPARATOR | dark, id, dark ? reinterpret_cast<LPCWSTR>(i) : nullptr);
            continue;
        }
        // Drawn here, yet with its text: screen readers read it, and the
        // menu finds the item by its access key.
        std::wstring wide = Widen(texts[i]);
        MENUITEMINFOW entry{};
        entry.cbSize = sizeof entry;
        entry.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA;
        entry.fType = MFT_OWNERDRAW;
        entry.fState = (!item.enabled || item.header ? MFS_GRAYED : 0) | (item.checked ? MFS_CHECKED : 0);
        entry.wID = id;
        entry.dwItemData = i;
        entry.dwTypeData = wide.data();
        InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &entry);
    }
    return menu;
}

void MenuPresenter::Prepare(POINT at, const KeyedImageList* pictures, const std::vector<MenuItem>& items,
                            const std::vector<std::string>& texts, HMENU menu, const MenuColours& colours) {
    // Measured for the monitor it opens on, which the owner may not be on.
    dpi_ = static_cast<UINT>(MonitorAtPoint(at).dpi);
    font_ = MenuFontForDpi(dpi_, false);
    boldFont_ = MenuFontForDpi(dpi_, true);
    pictures_ = pictures ? pictures : &images_(PictureSizePx(false, static_cast<int32_t>(dpi_)));
    items_ = &items;
    texts_ = &texts;
    menu_ = menu;
    colours_ = colours;
    active_ = this;
}

void MenuPresenter::Finish(HWND window, HMENU menu) {
    PostMessageW(window, WM_NULL, 0, 0);
    active_ = nullptr;
    items_ = nullptr;
    texts_ = nullptr;
    menu_ = nullptr;
    pictures_ = nullptr;
    DestroyMenu(menu);
}

int32_t MenuPresenter::Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner,
                             int32_t x, int32_t y) {
    HWND control = reinterpret_cast<HWND>(owner);
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return 0;
    const std::vector<std::string> texts = MenuTexts(items);
    HMENU menu = MakeMenu(items, texts);
    if (!menu) return 0;
    POINT at{scale_.x.NearestPixels(x), scale_.y.NearestPixels(y)};
    ClientToScreen(control, &at);
    Prepare(at, nullptr, items, texts, menu, colours);
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
    // A name's "&" is its own, no access key.
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const MenuItem& item : items) {
        std::string text;
        for (const char c : item.caption) text += c == '&' ? std::string("&&") : std::string(1, c);
        texts.push_back(std::move(text));
    }
    HMENU menu = MakeMenu(items, texts);
    if (!menu) return {};
    Prepare(POINT{below.left, below.bottom}, &pictures, items, texts, menu, MenuColours{});
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

bool MenuPresenter::Owns(UINT id, ULONG_PTR data) const {
    // Another owner-drawn menu (the shell's, shown from a bar window) sends
    // the same messages: only the items made here are taken.
    return items_ && data < items_->size() && id == data + 1;
}

bool MenuPresenter::HandleMessage(UINT message, LPARAM lParam) {
    if (!active_ || !active_->items_ || !active_->pictures_) return false;
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU || !active_->Owns(measure->itemID, measure->itemData)) return false;
        active_->Measure(*measure);
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU || reinterpret_cast<HMENU>(draw->hwndItem) != active_->menu_ ||
            !active_->Owns(draw->itemID, draw->itemData))
            return false;
        active_->Draw(*draw);
        return true;
    }
    return false;
}

bool MenuPresenter::MenuChar(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!active_ || !active_->items_ || !active_->texts_ || reinterpret_cast<HMENU>(lParam) != active_->menu_)
        return false;
    wchar_t typed[2] = {static_cast<wchar_t>(LOWORD(wParam)), 0};
    CharUpperBuffW(typed, 1);
    const std::vector<MenuItem>& items = *active_->items_;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].enabled || items[i].header) continue;
        std::wstring key = Widen(AccessKey((*active_->texts_)[i]));
        if (key.size() != 1) continue;
        CharUpperBuffW(key.data(), 1);
        if (key[0] != typed[0]) continue;
        result = MAKELRESULT(static_cast<WORD>(i), MNC_EXECUTE);
        return true;
    }
    return false;
}

void MenuPresenter::Measure(MEASUREITEMSTRUCT& measure) const {
    const MenuItem& item = (*items_)[measure.itemData];
    WindowDc dc(nullptr);
    SelectGuard pick(dc.get(), item.header ? boldFont_.get() : font_.get());
    const std::wstring text = Widen((*texts_)[measure.itemData]);
    RECT bounds{};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &bounds, DT_SINGLELINE | DT_CALCRECT);
    const SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
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
    const Palette& palette = CurrentColours();
    if (item.caption == "-") {
        FillRect(dc, &r, ColourBrush(palette.menuBack));
        const int middle = (r.top + r.bottom) / 2;
        const RECT line{r.left + Px(kPaddingPx), middle, r.right - Px(kPaddingPx), middle + std::max(Px(1), 1)};
        FillRect(dc, &line, ColourBrush(palette.border));
        return;
    }
    const bool selected = (draw.itemState & ODS_SELECTED) && item.enabled && !item.header;
    // Colours are stored blue-green-red, as COLORREF keeps them.
    const ColourPair header = MenuHeaderColours(palette, ColourPair{colours_.first, colours_.second});
    const COLORREF back = item.header ? header.back : selected ? palette.menuSelected : palette.menuBack;
    COLORREF fore = item.header ? header.text : selected ? palette.menuSelectedText : palette.menuText;
    if (!item.header && !item.enabled) fore = palette.menuDisabled;
    FillRect(dc, &r, ColourBrush(back));

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
    const std::wstring caption = Widen((*texts_)[draw.itemData]);
    // The access key underlined only while the keyboard is in use.
    const UINT hide = (draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | hide);
}

int MenuPresenter::Px(int at96) const { return Scaled(at96, dpi_); }

}  // namespace lark::win
