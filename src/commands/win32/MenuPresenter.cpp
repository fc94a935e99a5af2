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

int32_t MenuPresenter::Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner,
                             int32_t x, int32_t y) {
    HWND control = reinterpret_cast<HWND>(owner);
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return 0;
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    const Palette& palette = CurrentColours();
    // The margins around the items, which the system paints.
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = ColourBrush(palette.menuBack);
    SetMenuInfo(menu, &info);
    const std::vector<std::string> texts = MenuTexts(items);
    std::vector<std::wstring> wide;
    wide.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        const auto id = static_cast<UINT>(i + 1);
        if (item.caption == "-") {
            // The system's separator is a light line; the dark one is drawn here.
            const UINT dark = palette.Dark() ? MF_OWNERDRAW : 0;
            AppendMenuW(menu, MF_SEPARATOR | dark, id, dark ? reinterpret_cast<LPCWSTR>(i) : nullptr);
            wide.emplace_back();
            continue;
        }
        // Drawn here, yet with its text: screen readers read it, and the
        // menu finds the item by its access key.
        wide.push_back(Widen(texts[i]));
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA;
        info.fType = MFT_OWNERDRAW;
        info.fState = (!item.enabled || item.header ? MFS_GRAYED : 0) | (item.checked ? MFS_CHECKED : 0);
        info.wID = id;
        info.dwItemData = i;
        info.dwTypeData = wide.back().data();
        InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &info);
    }
    POINT at{scale_.x.NearestPixels(x), scale_.y.NearestPixels(y)};
    ClientToScreen(control, &at);
    // Measured for the monitor it opens on, which the owner may not be on.
    dpi_ = static_cast<UINT>(MonitorAtPoint(at).dpi);
    font_ = MenuFontForDpi(dpi_, false);
    boldFont_ = MenuFontForDpi(dpi_, true);
    pictures_ = &images_(PictureSizePx(false, static_cast<int32_t>(dpi_)));
    items_ = &items;
    texts_ = &texts;
    menu_ = menu;
    colours_ = colours;
    active_ = this;
    // The menu closes properly only when its window is in the foreground.
    SetForegroundWindow(window);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                       at.x, at.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    active_ = nullptr;
    items_ = nullptr;
    texts_ = nullptr;
    menu_ = nullptr;
    pictures_ = nullptr;
    DestroyMenu(menu);
    return chosen;
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
