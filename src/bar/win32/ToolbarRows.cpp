// A toolbar's rows: which buttons fit its room, told to the control as
// hidden states and line breaks; the chevron that stands for the others;
// and where a drop lands among them.
#include <algorithm>

#include "bar/win32/Accessible.h"
#include "bar/win32/Toolbar.h"
#include "base/Texts.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/KeyedImageList.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr int kDefaultPicturePx = 16;
// A split button's arrow until the control has drawn one: the classic
// control's width at 96 DPI.
constexpr int kDropArrowPx = 11;

struct ChevronColours {
    COLORREF text;
    COLORREF buttonHot;
    COLORREF buttonPressed;
    COLORREF border;
    COLORREF insertMark;
};

// The chevron's colours: the dark palette's, else the system's, as the
// toolbar's own buttons take them.
ChevronColours CurrentChevronColours() {
    const Palette& palette = CurrentColours();
    if (palette.Dark())
        return ChevronColours{palette.text, palette.buttonHot, palette.buttonPressed, palette.border,
                              palette.insertMark};
    return ChevronColours{GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DLIGHT),
                          GetSysColor(COLOR_BTNSHADOW), palette.insertMark};
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.get());
}

void Frame(HDC dc, const RECT& r, COLORREF colour, int width) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + width}, colour);
    Fill(dc, RECT{r.left, r.bottom - width, r.right, r.bottom}, colour);
    Fill(dc, RECT{r.left, r.top, r.left + width, r.bottom}, colour);
    Fill(dc, RECT{r.right - width, r.top, r.right, r.bottom}, colour);
}

}  // namespace

ToolbarMetrics Toolbar::Metrics() const {
    const int picture = list_ ? list_->Size() : Scaled(kDefaultPicturePx, dpi_);
    ToolbarMetrics m = MeasureToolbar(static_cast<int32_t>(dpi_), picture);
    // The control may have made its buttons larger than asked.
    if (hwnd_) {
        const auto size = static_cast<DWORD>(SendMessageW(hwnd_.get(), TB_GETBUTTONSIZE, 0, 0));
        if (LOWORD(size) > 0) m.buttonWidth = LOWORD(size);
        if (HIWORD(size) > 0) m.buttonHeight = HIWORD(size);
    }
    return m;
}

std::vector<int32_t> Toolbar::ButtonWidths(const ToolbarMetrics& m) const {
    std::vector<int32_t> widths(buttons_.size(), m.buttonWidth);
    // A column holds one button a row, whatever its width.
    if (column_) return widths;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (!buttons_[i].dropDown) continue;
        // Measured where the control shows one.
        if (synced_ && fit_.Shows(i)) {
            const RECT r = ItemRect(i);
            if (r.right - r.left > m.buttonWidth) dropArrowPx_ = r.right - r.left - m.buttonWidth;
        }
        widths[i] += dropArrowPx_ > 0 ? dropArrowPx_ : Scaled(kDropArrowPx, dpi_);
    }
    return widths;
}

ButtonRows Toolbar::FitFor(size_t count) const {
    const ToolbarMetrics m = Metrics();
    std::vector<int32_t> widths = ButtonWidths(m);
    widths.resize(count, m.buttonWidth);
    return lark::FitButtons(widths, RowWidth(m), rows_, m, first_);
}

int32_t Toolbar::RowWidth(const ToolbarMetrics& metrics) const {
    return column_ ? std::min<int32_t>(place_.right, metrics.buttonWidth) : place_.right;
}

BYTE Toolbar::StateAt(size_t position) const {
    BYTE state = TBSTATE_ENABLED;
    if (!fit_.Shows(position)) state |= TBSTATE_HIDDEN;
    if (fit_.EndsRow(position)) state |= TBSTATE_WRAP;
    return state;
}

void Toolbar::Relayout() {
    const bool chevron = fit_.chevron;
    fit_ = FitFor(buttons_.size());
    first_ = fit_.first;
    if (!hwnd_ || !synced_) return;
    bool changed = chevron != fit_.chevron;
    NameChevron();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        Button& button = buttons_[i];
        const BYTE state = StateAt(i);
        if (button.state == state) continue;
        // TB_SETBUTTONINFO lays the buttons out again, a line break included.
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE;
        info.fsState = state;
        SendMessageW(hwnd_.get(), TB_SETBUTTONINFOW, static_cast<WPARAM>(button.id), reinterpret_cast<LPARAM>(&info));
        button.state = state;
        changed = true;
    }
    if (changed) InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

RECT Toolbar::ItemRect(size_t position) const {
    RECT r{};
    if (hwnd_) SendMessageW(hwnd_.get(), TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::vector<std::string> Toolbar::HiddenKeys() const {
    std::vector<std::string> keys;
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (!fit_.Shows(i)) keys.push_back(buttons_[i].key);
    return keys;
}

void Toolbar::ShowButton(size_t position) {
    const ToolbarMetrics m = Metrics();
    const size_t first = ScrollToShow(fit_, ButtonWidths(m), RowWidth(m), rows_, m, position);
    if (first == first_) return;
    first_ = first;
    Relayout();
}

// The chevron is drawn, not a control: a tool of the toolbar's tooltip over
// it names it, for the mouse and for screen readers that read tooltips.
void Toolbar::NameChevron() {
    HWND tips = ToolTipHandle();
    if (!tips) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd_.get();
    tool.uId = kChevronTool;
    wchar_t text[80] = {};  // the system copies the tool's text here
    tool.lpszText = text;
    const bool known = SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    const std::optional<RECT> chevron = ChevronRect();
    if (!chevron) {
        if (known) SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    tool.rect = *chevron;
    if (known) {
        SendMessageW(tips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    static const std::wstring name = Widen(Text(IDS_CHEVRON));
    tool.uFlags = 0;
    tool.lpszText = const_cast<wchar_t*>(name.c_str());  // copied by the tooltip
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool Toolbar::AnswerAccessible(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_GETOBJECT) {
        result = AnswerGetObject(hwnd_.get(), wParam, lParam, {0, 0, IDS_CHEVRON, IDS_CHEVRON_ACTION});
        return result != 0;
    }
    if (message != AccessibleQuery()) return false;
    const std::optional<RECT> chevron = ChevronRect();
    if (wParam == kAskDrawnPlace && chevron) *reinterpret_cast<RECT*>(lParam) = OnScreen(*chevron);
    result = chevron ? TRUE : FALSE;
    if (wParam == kAskDrawnAction) PressChevron();
    return true;
}

void Toolbar::FocusChevron(bool on) {
    if (on == chevronFocused_) return;
    chevronFocused_ = on;
    if (const std::optional<RECT> chevron = ChevronRect()) InvalidateRect(hwnd_.get(), &*chevron, TRUE);
    // A screen reader says where the keyboard went: the child after the
    // buttons, as the system's proxy numbers them.
    if (on) {
        const auto count = static_cast<LONG>(SendMessageW(hwnd_.get(), TB_BUTTONCOUNT, 0, 0));
        NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_.get(), OBJID_CLIENT, count + 1);
    }
}

bool Toolbar::PressChevron() {
    const std::optional<RECT> chevron = ChevronRect();
    if (!chevron) return false;
    events_.OnChevron(index_, OnScreen(*chevron));
    return true;
}

std::optional<RECT> Toolbar::ChevronRect() const {
    if (!fit_.chevron || !hwnd_) return std::nullopt;
    const ToolbarMetrics m = Metrics();
    // At the right end of the last row, as high as its buttons.
    const int top = (fit_.shown > 0 ? static_cast<int>(ItemRect(fit_.first).top) : 0) + (rows_ - 1) * m.buttonHeight;
    if (column_) return RECT{0, top, m.buttonWidth, top + m.buttonHeight};
    RECT client{};
    GetClientRect(hwnd_.get(), &client);
    return RECT{std::max<LONG>(client.right - m.chevronWidth, 0), top, client.right, top + m.buttonHeight};
}

void Toolbar::SetChevronPressed(bool pressed) {
    if (pressed == chevronPressed_) return;
    chevronPressed_ = pressed;
    if (!pressed) chevronReleased_ = GetTickCount();
    chevronClosed_ = !pressed;
    if (const std::optional<RECT> chevron = ChevronRect()) {
        InvalidateRect(hwnd_.get(), &*chevron, TRUE);
        UpdateWindow(hwnd_.get());
    }
}

std::optional<RECT> Toolbar::TrackChevron(UINT message, LPARAM lParam) {
    const std::optional<RECT> chevron = ChevronRect();
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const bool over = message != WM_MOUSELEAVE && chevron && PtInRect(&*chevron, at);
    if (over != chevronHot_) {
        chevronHot_ = over;
        if (chevron) InvalidateRect(hwnd_.get(), &*chevron, TRUE);
        if (over) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_.get(), 0};
            TrackMouseEvent(&track);
        }
    }
    if (!over || (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK)) return std::nullopt;
    // The press that closed the menu reaches the chevron after it: it
    // closes the menu, it does not open it again.
    const auto sinceClosed = static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - chevronReleased_);
    const bool closing = chevronClosed_ && sinceClosed <= 0;
    chevronClosed_ = false;
    if (closing) return RECT{};
    return OnScreen(*chevron);
}

RECT Toolbar::OnScreen(RECT r) const {
    MapWindowPoints(hwnd_.get(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Two small arrows pointing on (down a column), as Windows draws the
// chevron of a toolbar that does not fit.
void Toolbar::DrawChevron() const {
    const std::optional<RECT> chevron = ChevronRect();
    if (!chevron) return;
    const ChevronColours colours = CurrentChevronColours();
    WindowDc dc(hwnd_.get());
    const RECT& r = *chevron;
    const int line = std::max(Scaled(1, dpi_), 1);
    const bool marked = insertMark_ >= static_cast<int32_t>(buttons_.size()) && !buttons_.empty();
    const bool focused = ChevronFocused();
    if (chevronPressed_ || chevronHot_ || focused || marked) {
        Fill(dc.get(), r, chevronPressed_ ? colours.buttonPressed : colours.buttonHot);
        Frame(dc.get(), r, marked ? colours.insertMark : colours.border, marked ? 2 * line : line);
    }
    if (focused && !marked) {
        RECT inside = r;
        InflateRect(&inside, -2 * line, -2 * line);
        SetTextColor(dc.get(), colours.text);
        SetBkColor(dc.get(), chevronPressed_ ? colours.buttonPressed : colours.buttonHot);
        DrawFocusRect(dc.get(), &inside);
    }
    const int arm = std::max(Scaled(3, dpi_), 2);
    const int middle = (r.top + r.bottom) / 2;
    const int left = (r.left + r.right) / 2 - arm - line;
    const int centre = (r.left + r.right) / 2;
    const int top = middle - arm - line;
    UniquePen pen(CreatePen(PS_SOLID, line, colours.text));
    SelectGuard pick(dc.get(), pen.get());
    for (int shift : {0, arm + line}) {
        const POINT across[] = {
            {left + shift, middle - arm}, {left + shift + arm, middle}, {left + shift, middle + arm + 1}};
        const POINT down[] = {
            {centre - arm, top + shift}, {centre, top + shift + arm}, {centre + arm + 1, top + shift}};
        Polyline(dc.get(), column_ ? down : across, 3);
    }
}

int32_t Toolbar::DropPositionAt(int x, int y) const {
    const auto count = static_cast<int32_t>(buttons_.size());
    if (!hwnd_ || !synced_) return count;
    const POINT at{x, y};
    if (const std::optional<RECT> chevron = ChevronRect(); chevron && PtInRect(&*chevron, at)) return count;
    if (fit_.shown == 0) return count;
    // The row nearest the point's height, then the place in it.
    std::vector<std::pair<size_t, RECT>> shown;
    for (size_t i = fit_.first; i < fit_.first + fit_.shown; ++i) shown.emplace_back(i, ItemRect(i));
    if (column_) {
        for (const auto& [i, r] : shown)
            if (y < (r.top + r.bottom) / 2) return static_cast<int32_t>(i);
        return static_cast<int32_t>(fit_.first + fit_.shown);
    }
    LONG rowTop = shown.front().second.top;
    LONG best = -1;
    for (const auto& [i, r] : shown) {
        const LONG distance = y < r.top ? r.top - y : y >= r.bottom ? y - r.bottom + 1 : 0;
        if (best < 0 || distance < best) {
            best = distance;
            rowTop = r.top;
        }
    }
    int32_t after = -1;
    for (const auto& [i, r] : shown) {
        if (r.top != rowTop) continue;
        if (x < (r.left + r.right) / 2) return static_cast<int32_t>(i);
        after = static_cast<int32_t>(i) + 1;
    }
    return after >= 0 ? after : count;
}

// A bar with short crossbars in the highlight colour, in the gap before
// the button (or after the last one shown), drawn over the control's own
// paint; the end of a section whose last buttons do not show marks the
// chevron instead.
void Toolbar::DrawInsertMark() const {
    if (insertMark_ < 0 || !hwnd_ || buttons_.empty() || fit_.shown == 0) return;
    const auto position = static_cast<size_t>(insertMark_);
    if (position >= buttons_.size() && fit_.chevron) return;
    const size_t end = fit_.first + fit_.shown;
    const bool after = position >= end;
    const RECT r = ItemRect(after ? end - 1 : std::max(position, fit_.first));
    if (r.right <= r.left) return;
    WindowDc dc(hwnd_.get());
    const COLORREF colour = CurrentChevronColours().insertMark;
    if (column_) {
        // Across the gap above the button, or below the last one shown.
        const int y = std::max<int>(after ? r.bottom : r.top, 1);
        const RECT bar{r.left, y - 1, r.right, y + 1};
        const RECT left{r.left, std::max(y - 3, 0), r.left + 2, y + 3};
        const RECT right{r.right - 2, std::max(y - 3, 0), r.right, y + 3};
        for (const RECT& part : {bar, left, right}) Fill(dc.get(), part, colour);
        return;
    }
    // Inside the control: the first button starts at its left edge.
    const int x = std::max<int>(after ? r.right : r.left, 1);
    const RECT bar{x - 1, r.top, x + 1, r.bottom};
    const RECT top{std::max(x - 3, 0), r.top, x + 3, r.top + 2};
    const RECT bottom{std::max(x - 3, 0), r.bottom - 2, x + 3, r.bottom};
    for (const RECT& part : {bar, top, bottom}) Fill(dc.get(), part, colour);
}

}  // namespace lark::win
