#include "bar/win32/TabControl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_TABS | TCS_SINGLELINE;
constexpr WPARAM kButtonsHeld = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

int16_t ShiftState(WPARAM wParam) {
    int16_t shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

int16_t HeldButtons(WPARAM wParam) {
    int16_t button = 0;
    if (wParam & MK_LBUTTON) button |= 1;
    if (wParam & MK_RBUTTON) button |= 2;
    if (wParam & MK_MBUTTON) button |= 4;
    return button;
}

}  // namespace

MouseArgs MouseArgsFrom(UINT message, WPARAM wParam, LPARAM lParam, TwipScale scale) {
    MouseArgs args;
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            args.button = 1;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
            args.button = 2;
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
            args.button = 4;
            break;
        default:
            args.button = HeldButtons(wParam);
            break;
    }
    args.shift = ShiftState(wParam);
    args.x = scale.x.Twips(GET_X_LPARAM(lParam));
    args.y = scale.y.Twips(GET_Y_LPARAM(lParam));
    return args;
}

TabControl::TabControl(HWND parent, int controlId, TwipScale scale, ITabStripEvents& events)
    : scale_(scale), events_(events) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    // The strip's name for screen readers; the control never draws it.
    hwnd_.reset(CreateWindowExW(0, WC_TABCONTROLW, Widen(Text(IDS_SECTIONS)).c_str(), kStyle, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr),
                                nullptr));
    if (!hwnd_) Raise(kErrOutOfMemory);
    if (!SetWindowSubclass(hwnd_.get(), &TabControl::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this)))
        Raise(kErrOutOfMemory);
    SetDpi(DpiOfWindow(parent));
}

void TabControl::SetDpi(UINT dpi) {
    // The message font, as dialogs and menus use it; the stock GUI font when
    // the system does not say.
    UniqueFont font = MessageFontForDpi(dpi);
    HFONT shown = font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
    font_ = std::move(font);  // the old one only once the control has let go of it
    dpi_ = dpi;
    WindowDc dc(hwnd_.get());
    SelectGuard pick(dc.get(), shown);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    rowHeight_ = std::max<int>(metrics.tmHeight + Scaled(8, dpi), 1);
    if (column_) ColumnChanged();
}

TabControl::~TabControl() {
    // No notification may reach a half-destroyed object.
    if (hwnd_) RemoveWindowSubclass(hwnd_.get(), &TabControl::SubclassProc, 0);
}

void TabControl::ClearTabs() {
    SendMessageW(hwnd_.get(), TCM_DELETEALLITEMS, 0, 0);
    names_.clear();
    captions_.clear();
    selected_ = 0;
    highlighted_ = 0;
    synced_ = true;
    if (column_) ColumnChanged();
}

void TabControl::AddTab(const std::string& caption, int16_t image, int32_t tag, const std::string& name) {
    (void)image;
    (void)tag;
    const auto index = static_cast<int32_t>(names_.size());
    if (synced_ && OnScreen()) {
        InsertNative(static_cast<size_t>(index), caption);
        if (index == 0 && CurrentTab() == 0) SendMessageW(hwnd_.get(), TCM_SETCURSEL, 0, 0);
    } else {
        if (synced_) selected_ = CurrentTab();
        synced_ = false;
        if (index == 0 && selected_ == 0) selected_ = 1;
        // The control keeps the first tab meanwhile, so the tab row, and
        // with it the page where the toolbars sit, has its real height.
        if (index == 0) InsertNative(0, caption);
    }
    names_.push_back(name);
    captions_.push_back(caption);
    if (column_) ColumnChanged();
}

void TabControl::InsertTab(int32_t position, const std::string& caption, const std::string& name) {
    CheckPosition(position);
    const auto index = static_cast<size_t>(position - 1);
    if (synced_ && OnScreen()) {
        // The control moves its selection along with the tab it was on.
        InsertNative(index, caption);
    } else {
        if (synced_) selected_ = CurrentTab();
        synced_ = false;
        if (selected_ >= position) ++selected_;
        // Out of sync the control holds the first tab alone.
        if (index == 0) {
            SendMessageW(hwnd_.get(), TCM_DELETEALLITEMS, 0, 0);
            InsertNative(0, caption);
        }
    }
    names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(index), name);
    captions_.insert(captions_.begin() + static_cast<std::ptrdiff_t>(index), caption);
    if (column_) ColumnChanged();
}

void TabControl::InsertNative(size_t index, const std::string& caption) {
    std::wstring text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (SendMessageW(hwnd_.get(), TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item)) !=
        static_cast<LRESULT>(index))
        Raise(kErrOutOfMemory);
}

void TabControl::RemoveTab(int32_t position) {
    CheckPosition(position);
    const int32_t selected = CurrentTab();
    if (synced_ && !SendMessageW(hwnd_.get(), TCM_DELETEITEM, static_cast<WPARAM>(position - 1), 0))
        Raise(kErrOutOfMemory);
    names_.erase(names_.begin() + (position - 1));
    captions_.erase(captions_.begin() + (position - 1));
    const int32_t count = TabCount();
    int32_t next = selected > position ? selected - 1 : selected;
    if (selected == position) next = std::min(position, count);
    if (synced_) {
        // Left to itself the control may keep no selection, or keep the old
        // index (now another tab); say which one it is.
        if (CurrentTab() != next) SendMessageW(hwnd_.get(), TCM_SETCURSEL, static_cast<WPARAM>(next - 1), 0);
    } else {
        selected_ = next;
        if (names_.empty()) SendMessageW(hwnd_.get(), TCM_DELETEALLITEMS, 0, 0);
    }
    if (column_) ColumnChanged();
    if (selected == position && next > 0) events_.OnTabSelected(next);
}

std::string TabControl::TabKey(int32_t position) const {
    CheckPosition(position);
    return names_[static_cast<size_t>(position - 1)];
}

int32_t TabControl::TabCount() const { return static_cast<int32_t>(names_.size()); }

int32_t TabControl::CurrentTab() const {
    if (!synced_) return selected_;
    const LRESULT index = SendMessageW(hwnd_.get(), TCM_GETCURSEL, 0, 0);
    return index < 0 ? 0 : static_cast<int32_t>(index) + 1;
}

void TabControl::SelectTab(int32_t position) {
    CheckPosition(position);
    if (CurrentTab() == position) return;
    if (synced_) {
        SendMessageW(hwnd_.get(), TCM_SETCURSEL, static_cast<WPARAM>(position - 1), 0);
    } else {
        selected_ = position;
        if (column_) ColumnChanged();
    }
    events_.OnTabSelected(position);
}

void TabControl::RenameTab(int32_t position, const std::string& caption, const std::string& name) {
    CheckPosition(position);
    names_[static_cast<size_t>(position - 1)] = name;
    captions_[static_cast<size_t>(position - 1)] = caption;
    if (column_) ColumnChanged();
    // Out of sync, the control holds the first tab alone.
    if (!synced_ && position != 1) return;
    std::wstring text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(hwnd_.get(), TCM_SETITEMW, static_cast<WPARAM>(position - 1), reinterpret_cast<LPARAM>(&item));
}

int32_t TabControl::TabAt(int x, int y) const {
    if (column_) {
        RECT client{};
        GetClientRect(hwnd_.get(), &client);
        const int pad = Scaled(2, dpi_);
        if (x < client.left || x >= client.right || y < pad) return 0;
        const int row = (y - pad) / rowHeight_;
        return row < ColumnRows() ? ColumnFirst() + row + 1 : 0;
    }
    if (!synced_) return 0;
    TCHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    const LRESULT index = SendMessageW(hwnd_.get(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return index < 0 ? 0 : static_cast<int32_t>(index) + 1;
}

void TabControl::HighlightTab(int32_t position) {
    if (position == highlighted_) return;
    if (highlighted_ > 0) SendMessageW(hwnd_.get(), TCM_HIGHLIGHTITEM, static_cast<WPARAM>(highlighted_ - 1), FALSE);
    highlighted_ = position > 0 && synced_ && position <= TabCount() ? position : 0;
    if (highlighted_ > 0) SendMessageW(hwnd_.get(), TCM_HIGHLIGHTITEM, static_cast<WPARAM>(highlighted_ - 1), TRUE);
    // Drawn whole in the dark, the strip shows the change at its next paint.
    if (CurrentColours().Dark() || column_) InvalidateRect(hwnd_.get(), nullptr, FALSE);
}

std::string TabControl::TabCaption(int32_t position) const {
    CheckPosition(position);
    return captions_[static_cast<size_t>(position - 1)];
}

void TabControl::SyncTabs() {
    if (synced_) return;
    SendMessageW(hwnd_.get(), TCM_DELETEALLITEMS, 0, 0);
    // With fixed widths the control measures no caption per insertion;
    // dropping the style measures them all once.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_.get(), GWL_STYLE);
    SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, style | TCS_FIXEDWIDTH);
    for (size_t i = 0; i < captions_.size(); ++i) Guard([&] { InsertNative(i, captions_[i]); });
    SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, style);
    SendMessageW(hwnd_.get(), TCM_SETCURSEL, static_cast<WPARAM>(selected_ - 1), 0);
    synced_ = true;
}

RECT TabControl::ClientRectPx() const {
    RECT area{};
    GetClientRect(hwnd_.get(), &area);
    if (column_) {
        area.top = std::min<LONG>(ColumnHeight(), area.bottom);
    } else {
        SendMessageW(hwnd_.get(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    }
    if (area.right < area.left) area.right = area.left;
    if (area.bottom < area.top) area.bottom = area.top;
    MapWindowPoints(hwnd_.get(), GetParent(hwnd_.get()), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

int32_t TabControl::ClientLeft() const { return scale_.x.Twips(ClientRectPx().left); }
int32_t TabControl::ClientTop() const { return scale_.y.Twips(ClientRectPx().top); }
int32_t TabControl::ClientWidth() const {
    const RECT area = ClientRectPx();
    return scale_.x.Twips(area.right - area.left);
}
int32_t TabControl::ClientHeight() const {
    const RECT area = ClientRectPx();
    return scale_.y.Twips(area.bottom - area.top);
}

void TabControl::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    MovePx(scale_.x.NearestPixels(left), scale_.y.NearestPixels(top), scale_.x.NearestPixels(width),
           scale_.y.NearestPixels(height));
}

void TabControl::MovePx(int left, int top, int width, int height) {
    SetWindowPos(hwnd_.get(), nullptr, left, top, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TabControl::HandleNotify(const NMHDR* header, LRESULT& result) {
    if (!header || header->hwndFrom != hwnd_.get()) return false;
    if (header->code != TCN_SELCHANGE) return false;
    result = 0;
    if (column_) ColumnChanged();
    events_.OnTabSelected(CurrentTab());
    return true;
}

void TabControl::CheckPosition(int32_t position) const {
    if (position < 1 || position > TabCount()) Raise(kErrIndexOutOfBounds);
}

LRESULT CALLBACK TabControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) noexcept {
    (void)id;
    return Barrier([&] { return reinterpret_cast<TabControl*>(self)->OnMessage(message, wParam, lParam); },
                   [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
}

// Listeners run last: one may open a modal menu, or rebuild the bar.
LRESULT TabControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_.get();
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            // The column's list is the bar's own: the control's idea of
            // where its tabs lie does not hold there.
            LRESULT result = 0;
            if (!column_) {
                result = DefSubclassProc(hwnd, message, wParam, lParam);
            } else if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
                const int32_t tab = TabAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                if (tab > 0) Barrier([&] { SelectTab(tab); });
            }
            // A drag that starts on the strip must see its release off it.
            if (GetCapture() != hwnd) SetCapture(hwnd);
            Barrier([&] { events_.OnTabMouseDown(MouseArgsFrom(message, wParam, lParam, scale_)); });
            return result;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            if ((wParam & kButtonsHeld) == 0 && GetCapture() == hwnd) ReleaseCapture();
            Barrier([&] { events_.OnTabMouseUp(MouseArgsFrom(message, wParam, lParam, scale_)); });
            return result;
        }
        case WM_MOUSEMOVE: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            const MouseArgs args = MouseArgsFrom(message, wParam, lParam, scale_);
            if (!mouseInside_) {
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof track;
                track.dwFlags = TME_LEAVE;
                track.hwndTrack = hwnd;
                TrackMouseEvent(&track);
                mouseInside_ = true;
                Barrier([&] { events_.OnTabMouseEnter(args); });
            }
            Barrier([&] { events_.OnTabMouseMove(args); });
            return result;
        }
        case WM_MOUSELEAVE:
            mouseInside_ = false;
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // The focus rectangle of the strip drawn here comes and goes with the focus.
            if (column_ || CurrentColours().Dark()) InvalidateRect(hwnd, nullptr, FALSE);
            break;
        case TCM_GETITEMRECT:
            // The control's own layout of a column lies hidden under the list.
            if (column_ && lParam) return ColumnItemRect(static_cast<int>(wParam), *reinterpret_cast<RECT*>(lParam));
            break;
        case TCM_SETCURSEL: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            if (column_) ColumnChanged();
            return result;
        }
        case WM_SIZE: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            if (column_) ColumnChanged();
            return result;
        }
        case WM_PAINT:
            SyncTabs();
            if (column_) {
                PAINTSTRUCT ps;
                HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
                PaintColumn(dc);
                if (!wParam) EndPaint(hwnd, &ps);
                return 0;
            }
            // The control has no dark drawing of its own: it is painted whole.
            if (CurrentColours().Dark()) {
                PAINTSTRUCT ps;
                HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
                PaintTabs(hwnd, dc, highlighted_, CurrentColours().page);
                if (!wParam) EndPaint(hwnd, &ps);
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            if (CurrentColours().Dark() || column_) return 1;
            break;
        case WM_NCHITTEST:
            // The control leaves the mouse to its parent outside the tabs;
            // the whole strip is where a docked bar is grabbed and clicked.
            return HTCLIENT;
        case WM_CONTEXTMENU:
            // From the mouse it follows a right button's release, which the
            // listener has already heard about; it must not reach the parent.
            if (lParam == -1) Barrier([&] { events_.OnTabContextClick(); });
            return 0;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace lark::win
