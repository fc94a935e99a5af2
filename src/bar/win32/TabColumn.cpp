// The tab strip of a column (a bar docked at the left or right edge): the
// sections as a list of the bar's own drawing above the page, names across
// and readable, the section shown kept in view.
#include "bar/win32/TabControl.h"

#include <commctrl.h>

#include <algorithm>

#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"

namespace lark::win {

void TabControl::SetColumn(bool column) {
    if (column == column_) return;
    column_ = column;
    // A narrow strip of one line of tabs grows scroll arrows; with several
    // lines it has none. The list is drawn over it either way.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_.get(), GWL_STYLE);
    SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, column ? (style | TCS_MULTILINE) : (style & ~TCS_MULTILINE));
    pageTop_ = -1;
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

int TabControl::ColumnRows() const {
    RECT client{};
    GetClientRect(hwnd_.get(), &client);
    // The list takes half the column at most; the rest is the buttons'.
    const int room = std::max<int>((client.bottom - client.top) / 2 / rowHeight_, 1);
    return std::min(TabCount(), room);
}

int TabControl::ColumnFirst() const {
    // The section shown stays in view, the list moved as little as may be.
    const int rows = ColumnRows();
    const int selected = CurrentTab() - 1;
    if (selected >= 0 && selected < columnFirst_) columnFirst_ = selected;
    if (selected >= columnFirst_ + rows) columnFirst_ = selected - rows + 1;
    columnFirst_ = std::clamp(columnFirst_, 0, std::max(TabCount() - rows, 0));
    return columnFirst_;
}

int TabControl::ColumnHeight() const { return ColumnRows() * rowHeight_ + Scaled(4, dpi_); }

RECT TabControl::ColumnRowRect(int row) const {
    RECT client{};
    GetClientRect(hwnd_.get(), &client);
    const int pad = Scaled(2, dpi_);
    return RECT{client.left + pad, pad + row * rowHeight_, client.right - pad, pad + (row + 1) * rowHeight_};
}

bool TabControl::ColumnItemRect(int index, RECT& r) const {
    const int row = index - ColumnFirst();
    if (index < 0 || index >= TabCount() || row < 0 || row >= ColumnRows()) {
        r = RECT{};
        return false;
    }
    r = ColumnRowRect(row);
    return true;
}

void TabControl::ColumnChanged() {
    InvalidateRect(hwnd_.get(), nullptr, FALSE);
    const int top = ColumnHeight();
    if (top == pageTop_) return;
    pageTop_ = top;
    if (pageMoved_) pageMoved_();
}

void TabControl::PaintColumn(HDC target) {
    const Palette& palette = CurrentColours();
    RECT client{};
    GetClientRect(hwnd_.get(), &client);
    // Drawn off screen and copied at once: no flicker of the parts.
    UniqueMemoryDc dc(CreateCompatibleDC(target));
    UniqueBitmap surface(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (!dc || !surface) return;
    SelectGuard pickSurface(dc.get(), surface.get());
    FillRect(dc.get(), &client, ColourBrush(palette.background));
    const int listBottom = ColumnHeight();
    const RECT page{client.left, listBottom, client.right, client.bottom};
    FillRect(dc.get(), &page, ColourBrush(palette.page));
    const RECT line{client.left, listBottom - 1, client.right, listBottom};
    FillRect(dc.get(), &line, ColourBrush(palette.border));

    HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SelectGuard pickFont(dc.get(), font);
    SetBkMode(dc.get(), TRANSPARENT);
    const int first = ColumnFirst();
    const int selected = CurrentTab();
    const auto ui = static_cast<UINT>(SendMessageW(hwnd_.get(), WM_QUERYUISTATE, 0, 0));
    for (int row = 0; row < ColumnRows(); ++row) {
        const int position = first + row + 1;
        RECT r = ColumnRowRect(row);
        Colour text = palette.tabText;
        if (position == highlighted_ || position == selected) {
            FillRect(dc.get(), &r, ColourBrush(position == highlighted_ ? palette.dropTarget : palette.menuSelected));
            text = palette.menuSelectedText;
        }
        SetTextColor(dc.get(), text);
        const std::wstring caption = Widen(captions_[static_cast<size_t>(position - 1)]);
        RECT label = r;
        InflateRect(&label, -Scaled(4, dpi_), 0);
        DrawTextW(dc.get(), caption.c_str(), -1, &label,
                  DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        if (position == selected && GetFocus() == hwnd_.get() && !(ui & UISF_HIDEFOCUS)) DrawFocusRect(dc.get(), &r);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

}  // namespace lark::win
