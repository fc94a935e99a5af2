#include "bar/win32/Toolbar.h"

#include <algorithm>
#include <cstdlib>

#include "base/RuntimeError.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/KeyedImageList.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr DWORD kStyle = WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                         CCS_NODIVIDER | CCS_NOPARENTALIGN;
constexpr int kDefaultPicturePx = 16;

// TB_GETBUTTONTEXT's answer: the text's length in characters, the text and
// its terminator copied when there is a buffer.
LRESULT AnswerButtonText(const std::wstring& text, bool wide, LPARAM buffer) {
    const int length = static_cast<int>(text.size());
    if (wide) {
        if (auto* out = reinterpret_cast<wchar_t*>(buffer)) {
            std::copy(text.begin(), text.end(), out);
            out[length] = L'\0';
        }
        return length;
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (auto* out = reinterpret_cast<char*>(buffer)) {
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, out, size, nullptr, nullptr);
        out[size] = '\0';
    }
    return size;
}

}  // namespace

Toolbar::Toolbar(HWND parent, int32_t index, int controlId, TwipScale scale, IToolbarEvents& events)
    : parent_(parent),
      controlId_(controlId),
      index_(index),
      scale_(scale),
      dpi_(DpiOfWindow(parent)),
      events_(events) {}

Toolbar::~Toolbar() {
    if (hwnd_) RemoveWindowSubclass(hwnd_.get(), &Toolbar::SubclassProc, 0);
}

HWND Toolbar::EnsureWindow() const {
    if (hwnd_) return hwnd_.get();
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    hwnd_.reset(CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kStyle, place_.left, place_.top, place_.right,
                                HeightPx(), parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)),
                                GetModuleHandleW(nullptr), nullptr));
    if (!hwnd_) Raise(kErrOutOfMemory);
    auto* self = const_cast<Toolbar*>(this);
    if (!SetWindowSubclass(hwnd_.get(), &Toolbar::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(self)))
        Raise(kErrOutOfMemory);
    SendMessageW(hwnd_.get(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // A folder's button is split: the button opens it, the arrow its menu.
    SendMessageW(hwnd_.get(), TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    // The docked bar is never the active window: its names must show all the same.
    if (HWND tips = reinterpret_cast<HWND>(SendMessageW(hwnd_.get(), TB_GETTOOLTIPS, 0, 0)))
        SetWindowLongPtrW(tips, GWL_STYLE, GetWindowLongPtrW(tips, GWL_STYLE) | TTS_ALWAYSTIP);
    // New children start below their siblings; toolbars paint over the tab strip.
    SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (list_) SendMessageW(hwnd_.get(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list_->Handle()));
    ColourWindow(ToolTipHandle());
    self->FitButtons();
    self->synced_ = buttons_.empty();
    return hwnd_.get();
}

HWND Toolbar::ToolTipHandle() const {
    if (!hwnd_) return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(hwnd_.get(), TB_GETTOOLTIPS, 0, 0));
}

void Toolbar::AddButton(const std::string& key, const std::string& imageKey) {
    if (Find(key)) Raise(kErrKeyNotUnique);
    Button button;
    button.key = key;
    button.imageKey = imageKey;
    button.id = NextCommandId();
    const bool direct = synced_ && OnScreen();
    if (direct) {
        // Hidden from the start when it does not fit.
        fit_ = FitFor(buttons_.size() + 1);
        const TBBUTTON native = NativeButton(button, buttons_.size());
        button.dropDown = (native.fsStyle & BTNS_DROPDOWN) != 0;
        if (!SendMessageW(hwnd_.get(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&native))) Raise(kErrOutOfMemory);
        button.state = native.fsState;
    } else {
        synced_ = false;
    }
    byKey_.emplace(button.key, buttons_.size());
    byId_.emplace(button.id, buttons_.size());
    buttons_.push_back(std::move(button));
    // The chevron may have come, taking the place of others.
    Relayout();
}

void Toolbar::RemoveButton(const std::string& key) {
    const Button& button = Must(key);
    if (synced_ && hwnd_) {
        const LRESULT position = SendMessageW(hwnd_.get(), TB_COMMANDTOINDEX, static_cast<WPARAM>(button.id), 0);
        if (position >= 0) SendMessageW(hwnd_.get(), TB_DELETEBUTTON, static_cast<WPARAM>(position), 0);
    }
    buttons_.erase(buttons_.begin() + (&button - buttons_.data()));
    Reindex();
    Relayout();
}

void Toolbar::MoveButton(const std::string& key, int32_t position) {
    const Button& button = Must(key);
    const auto from = static_cast<size_t>(&button - buttons_.data());
    const size_t to = std::min(static_cast<size_t>(std::max(position, 0)), buttons_.size() - 1);
    if (from == to) return;
    if (synced_ && hwnd_) SendMessageW(hwnd_.get(), TB_MOVEBUTTON, from, to);
    Button moved = std::move(buttons_[from]);
    buttons_.erase(buttons_.begin() + static_cast<std::ptrdiff_t>(from));
    buttons_.insert(buttons_.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    Reindex();
    Relayout();
}

void Toolbar::ClearButtons() {
    for (LRESULT n = hwnd_ ? SendMessageW(hwnd_.get(), TB_BUTTONCOUNT, 0, 0) : 0; n > 0; --n)
        SendMessageW(hwnd_.get(), TB_DELETEBUTTON, static_cast<WPARAM>(n - 1), 0);
    buttons_.clear();
    Reindex();
    synced_ = true;
    first_ = 0;
    Relayout();
}

std::vector<std::string> Toolbar::ButtonKeys() const {
    std::vector<std::string> keys;
    keys.reserve(buttons_.size());
    for (const Button& button : buttons_) keys.push_back(button.key);
    return keys;
}

void Toolbar::SetButtonTag(const std::string& key, const ButtonTag& tag) {
    Button& button = Must(key);
    button.tag = tag;
    // An arrow more or less changes what fits.
    if (RestyleButton(button)) Relayout();
}

BYTE Toolbar::StyleOf(const Button& button) const {
    return static_cast<BYTE>(events_.OpensAsMenu(button.tag) ? BTNS_BUTTON | BTNS_DROPDOWN : BTNS_BUTTON);
}

bool Toolbar::RestyleButton(Button& button) {
    // Buttons not yet handed to the control take their style then.
    if (!hwnd_ || !synced_) return false;
    const BYTE style = StyleOf(button);
    if (((style & BTNS_DROPDOWN) != 0) == button.dropDown) return false;
    button.dropDown = (style & BTNS_DROPDOWN) != 0;
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    info.fsStyle = style;
    SendMessageW(hwnd_.get(), TB_SETBUTTONINFOW, static_cast<WPARAM>(button.id), reinterpret_cast<LPARAM>(&info));
    return true;
}

void Toolbar::RefreshDropArrows() {
    bool changed = false;
    for (Button& button : buttons_) changed = RestyleButton(button) || changed;
    if (changed) Relayout();
}

bool Toolbar::HasDropArrow(const std::string& key) const { return Must(key).dropDown; }

bool Toolbar::HandleDropDown(const NMTOOLBARW* notice) {
    if (!hwnd_ || !notice || notice->hdr.hwndFrom != hwnd_.get()) return false;
    auto it = byId_.find(notice->iItem);
    if (it == byId_.end()) return true;
    RECT r{};
    const auto position = SendMessageW(hwnd_.get(), TB_COMMANDTOINDEX, static_cast<WPARAM>(notice->iItem), 0);
    SendMessageW(hwnd_.get(), TB_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(hwnd_.get(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    // The button's name would lie over its menu.
    if (HWND tips = ToolTipHandle()) SendMessageW(tips, TTM_POP, 0, 0);
    // The menu's listener may rebuild this toolbar: hand it its own copy.
    const std::string key = buttons_[it->second].key;
    events_.OnButtonDropDown(index_, key, r);
    return true;
}

ButtonTag Toolbar::GetButtonTag(const std::string& key) const { return Must(key).tag; }

void Toolbar::SetButtonToolTip(const std::string& key, const std::string& text) {
    Button& button = Must(key);
    std::wstring wide = Widen(text);
    button.toolTip = text;
    button.toolTipWide = std::move(wide);
}

std::string Toolbar::GetButtonToolTip(const std::string& key) const { return Must(key).toolTip; }

std::string Toolbar::GetButtonImage(const std::string& key) const { return Must(key).imageKey; }

void Toolbar::BindImageList(const KeyedImageList* list) {
    const bool resized = list_ && list && list_->Size() != list->Size();
    list_ = list;
    if (!hwnd_) {
        Relayout();
        return;
    }
    // Pictures of another size: buttons take a smaller size only when they
    // are added again.
    if (resized) {
        Refit();
        return;
    }
    SendMessageW(hwnd_.get(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
    // Buttons not yet handed to the control resolve their pictures then.
    if (synced_) {
        for (const Button& button : buttons_) {
            TBBUTTONINFOW info{};
            info.cbSize = sizeof info;
            info.dwMask = TBIF_IMAGE;
            info.iImage = ResolveImage(button.imageKey);
            SendMessageW(hwnd_.get(), TB_SETBUTTONINFOW, static_cast<WPARAM>(button.id),
                         reinterpret_cast<LPARAM>(&info));
        }
    }
    FitButtons();
    Relayout();
}

void Toolbar::ResolvePictures(const std::map<std::string, std::string>& shown) {
    for (Button& button : buttons_) {
        auto it = shown.find(button.imageKey);
        if (it == shown.end()) continue;
        button.imageKey = it->second;
        // Buttons not yet handed to the control resolve their pictures then.
        if (!hwnd_ || !synced_) continue;
        // TB_CHANGEBITMAP only redraws the button; TB_SETBUTTONINFO lays the
        // whole toolbar out again, which thousands of arriving pictures on
        // a large section turn into seconds of a bar that does not answer.
        // It takes the index as a word: "none" still goes the long way.
        const int image = ResolveImage(button.imageKey);
        if (image >= 0) {
            SendMessageW(hwnd_.get(), TB_CHANGEBITMAP, static_cast<WPARAM>(button.id), MAKELPARAM(image, 0));
            continue;
        }
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_IMAGE;
        info.iImage = image;
        SendMessageW(hwnd_.get(), TB_SETBUTTONINFOW, static_cast<WPARAM>(button.id), reinterpret_cast<LPARAM>(&info));
    }
}

void Toolbar::SetVisible(bool visible) {
    visible_ = visible;
    if (!visible && !hwnd_) return;
    EnsureWindow();
    ShowWindow(hwnd_.get(), visible ? SW_SHOWNA : SW_HIDE);
    if (OnScreen()) SyncButtons();
}

bool Toolbar::Visible() const { return visible_; }

void Toolbar::BringToFront() {
    if (!hwnd_) return;  // made later, on top of its siblings
    SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int Toolbar::HeightPx() const {
    const ToolbarMetrics m = Metrics();
    return rows_ * m.buttonHeight + 2 * m.edge;
}

void Toolbar::SetDpi(UINT dpi) {
    dpi_ = dpi;
    Refit();
}

void Toolbar::Refit() {
    if (!hwnd_) {
        Relayout();  // made later, at the sizes of then
        return;
    }
    SendMessageW(hwnd_.get(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list_ ? list_->Handle() : nullptr));
    FitButtons();
    // Buttons keep their old size until they are added again.
    synced_ = buttons_.empty();
    Relayout();
    if (OnScreen()) SyncButtons();
}

void Toolbar::Place(int left, int top, int width, int32_t rows) {
    rows = std::max(rows, 1);
    const bool resized = std::max(width, 0) != place_.right || rows != rows_;
    rows_ = rows;
    place_ = RECT{left, top, std::max(width, 0), HeightPx()};
    if (hwnd_)
        SetWindowPos(hwnd_.get(), nullptr, left, top, place_.right, place_.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!resized) return;
    Relayout();
    // The chevron follows the row's end.
    if (hwnd_ && fit_.chevron) InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

void Toolbar::SetColumn(bool column) {
    if (column == column_) return;
    column_ = column;
    Relayout();
    if (hwnd_) InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

int32_t Toolbar::RowsIn(int heightPx) const {
    const ToolbarMetrics m = Metrics();
    return std::max<int32_t>((heightPx - 2 * m.edge) / std::max(m.buttonHeight, 1), 1);
}

std::string Toolbar::ButtonKeyAt(int x, int y) const {
    if (!hwnd_ || !synced_) return {};
    POINT at{x, y};
    const auto hit = static_cast<int>(SendMessageW(hwnd_.get(), TB_HITTEST, 0, reinterpret_cast<LPARAM>(&at)));
    if (hit < 0 || hit >= static_cast<int>(buttons_.size())) return {};
    return buttons_[static_cast<size_t>(hit)].key;
}

void Toolbar::SetInsertMark(int32_t position) {
    if (position == insertMark_) return;
    insertMark_ = position;
    if (hwnd_) InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

bool Toolbar::CustomDraw(NMTBCUSTOMDRAW* draw, LRESULT& result) const {
    if (!draw || !hwnd_ || draw->nmcd.hdr.hwndFrom != hwnd_.get()) return false;
    const Palette& palette = CurrentColours();
    // The system's own drawing serves the light and high-contrast colours.
    if (!palette.Dark()) {
        result = CDRF_DODEFAULT;
        return true;
    }
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        case CDDS_ITEMPREPAINT: {
            const UINT state = draw->nmcd.uItemState;
            // Hot follows the mouse and the keyboard alike.
            if (state & (CDIS_SELECTED | CDIS_HOT | CDIS_CHECKED)) {
                const Colour fill = state & (CDIS_SELECTED | CDIS_CHECKED) ? palette.buttonPressed : palette.buttonHot;
                FillRect(draw->nmcd.hdc, &draw->nmcd.rc, ColourBrush(fill));
                // The keyboard's button framed, as the light colours' is: the
                // fill alone is faint on the dark page.
                if ((state & CDIS_HOT) && GetFocus() == hwnd_.get())
                    FrameRect(draw->nmcd.hdc, &draw->nmcd.rc, ColourBrush(palette.text));
            }
            result = CDRF_DODEFAULT | TBCDRF_NOEDGES | TBCDRF_NOBACKGROUND | TBCDRF_NOETCHEDEFFECT;
            auto it = byId_.find(static_cast<int>(draw->nmcd.dwItemSpec));
            if (it != byId_.end() && buttons_[it->second].dropDown) result |= CDRF_NOTIFYPOSTPAINT;
            return true;
        }
        case CDDS_ITEMPOSTPAINT:
            DrawDropArrow(*draw, palette);
            result = CDRF_DODEFAULT;
            return true;
        default:
            result = CDRF_DODEFAULT;
            return true;
    }
}

void Toolbar::DrawDropArrow(const NMTBCUSTOMDRAW& draw, const Palette& palette) const {
    // The system draws the drop arrow black whatever the colours: it is
    // drawn again over its own part of the button, in the text's colour.
    const auto index = SendMessageW(hwnd_.get(), TB_COMMANDTOINDEX, draw.nmcd.dwItemSpec, 0);
    RECT part{};
    if (index < 0 || !SendMessageW(hwnd_.get(), TB_GETITEMDROPDOWNRECT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(&part))) {
        // Wine has no such message: the arrow is what the button has beyond
        // a plain button's width.
        const auto plain = static_cast<int>(LOWORD(SendMessageW(hwnd_.get(), TB_GETBUTTONSIZE, 0, 0)));
        part = draw.nmcd.rc;
        if (part.right - part.left <= plain) return;
        part.left += plain;
    }
    const UINT state = draw.nmcd.uItemState;
    const Colour fill = state & (CDIS_SELECTED | CDIS_CHECKED) ? palette.buttonPressed
                        : state & CDIS_HOT                   ? palette.buttonHot
                                                             : palette.page;
    RECT inner = part;
    InflateRect(&inner, -1, -1);
    FillRect(draw.nmcd.hdc, &inner, ColourBrush(fill));
    // A small triangle pointing down, a row of pixels at a time.
    const int half = std::max(2, static_cast<int>(part.right - part.left) / 5);
    const int centre = (part.left + part.right) / 2;
    const int top = (part.top + part.bottom - half) / 2;
    for (int row = 0; row <= half; ++row) {
        const RECT line{centre - (half - row), top + row, centre + (half - row) + 1, top + row + 1};
        FillRect(draw.nmcd.hdc, &line, ColourBrush(palette.text));
    }
}

bool Toolbar::TrackDrag(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_LBUTTONDOWN:
            pressedKey_ = ButtonKeyAt(at.x, at.y);
            pressedAt_ = at;
            return false;
        case WM_MOUSEMOVE: {
            if (pressedKey_.empty()) return false;
            if (!(wParam & MK_LBUTTON)) {
                pressedKey_.clear();
                return false;
            }
            // Within the system's drag distance the press is still a click.
            if (std::abs(at.x - pressedAt_.x) < GetSystemMetrics(SM_CXDRAG) &&
                std::abs(at.y - pressedAt_.y) < GetSystemMetrics(SM_CYDRAG))
                return false;
            const std::string key = std::move(pressedKey_);
            pressedKey_.clear();
            // The control lets go of the pressed button without a click; no
            // mouse moves reach it while the drag runs, so it shows none hot.
            ReleaseCapture();
            SendMessageW(hwnd_.get(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
            events_.OnButtonDrag(index_, key);
            return true;
        }
        default:
            pressedKey_.clear();
            return false;
    }
}

bool Toolbar::HandleCommand(WPARAM wParam, LPARAM lParam) {
    if (!hwnd_ || reinterpret_cast<HWND>(lParam) != hwnd_.get()) return false;
    auto it = byId_.find(LOWORD(wParam));
    if (it == byId_.end()) return true;
    // The listener may rebuild this toolbar: hand it its own copy.
    const std::string key = buttons_[it->second].key;
    events_.OnButtonClick(index_, key);
    return true;
}

bool Toolbar::AnswerToolTip(NMTTDISPINFOW* info) const {
    if (!info || info->hdr.hwndFrom == nullptr || info->hdr.hwndFrom != ToolTipHandle()) return false;
    if (info->uFlags & TTF_IDISHWND) return false;
    auto it = byId_.find(static_cast<int>(info->hdr.idFrom));
    if (it == byId_.end()) return false;
    // The tooltip copies the text before the button can change.
    info->lpszText = const_cast<wchar_t*>(buttons_[it->second].toolTipWide.c_str());
    info->szText[0] = L'\0';
    info->hinst = nullptr;
    return true;
}

Toolbar::Button* Toolbar::Find(const std::string& key) {
    auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : &buttons_[it->second];
}

void Toolbar::Reindex() {
    byKey_.clear();
    byId_.clear();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        byKey_.emplace(buttons_[i].key, i);
        byId_.emplace(buttons_[i].id, i);
    }
}

TBBUTTON Toolbar::NativeButton(const Button& button, size_t position) const {
    TBBUTTON native{};
    native.iBitmap = ResolveImage(button.imageKey);
    native.idCommand = button.id;
    native.fsState = StateAt(position);
    native.fsStyle = StyleOf(button);
    native.iString = -1;  // no caption: the name is the tooltip
    return native;
}

void Toolbar::SyncButtons() {
    if (synced_ || !hwnd_) return;
    for (LRESULT n = SendMessageW(hwnd_.get(), TB_BUTTONCOUNT, 0, 0); n > 0; --n)
        SendMessageW(hwnd_.get(), TB_DELETEBUTTON, static_cast<WPARAM>(n - 1), 0);
    // A split button's arrow takes room in its row.
    for (Button& button : buttons_) button.dropDown = (StyleOf(button) & BTNS_DROPDOWN) != 0;
    fit_ = FitFor(buttons_.size());
    first_ = fit_.first;
    std::vector<TBBUTTON> natives;
    natives.reserve(buttons_.size());
    for (size_t i = 0; i < buttons_.size(); ++i) {
        natives.push_back(NativeButton(buttons_[i], i));
        buttons_[i].state = natives.back().fsState;
        buttons_[i].dropDown = (natives.back().fsStyle & BTNS_DROPDOWN) != 0;
    }
    if (!natives.empty() &&
        !SendMessageW(hwnd_.get(), TB_ADDBUTTONSW, natives.size(), reinterpret_cast<LPARAM>(natives.data())))
        Raise(kErrOutOfMemory);
    synced_ = true;
    NameChevron();
}

const Toolbar::Button* Toolbar::Find(const std::string& key) const { return const_cast<Toolbar*>(this)->Find(key); }

Toolbar::Button& Toolbar::Must(const std::string& key) {
    Button* button = Find(key);
    if (!button) Raise(kErrElementNotFound);
    return *button;
}

const Toolbar::Button& Toolbar::Must(const std::string& key) const { return const_cast<Toolbar*>(this)->Must(key); }

int Toolbar::ResolveImage(const std::string& imageKey) const {
    const int index = list_ ? list_->IndexOf(imageKey) : -1;
    return index >= 0 ? index : I_IMAGENONE;
}

int Toolbar::NextCommandId() {
    // Command ids travel in 16 bits; skip those in use after a wrap.
    for (;;) {
        lastId_ = lastId_ >= 0xFFFF ? 1 : lastId_ + 1;
        if (byId_.count(lastId_) == 0) return lastId_;
    }
}

void Toolbar::FitButtons() {
    const int picture = list_ ? list_->Size() : Scaled(kDefaultPicturePx, dpi_);
    SendMessageW(hwnd_.get(), TB_SETBITMAPSIZE, 0, MAKELPARAM(picture, picture));
    const ToolbarMetrics m = MeasureToolbar(static_cast<int32_t>(dpi_), picture);
    SendMessageW(hwnd_.get(), TB_SETBUTTONSIZE, 0, MAKELPARAM(m.buttonWidth, m.buttonHeight));
    SendMessageW(hwnd_.get(), TB_AUTOSIZE, 0, 0);
    // Keep the place and width; only the height follows the buttons.
    RECT r{};
    GetWindowRect(hwnd_.get(), &r);
    SetWindowPos(hwnd_.get(), nullptr, 0, 0, r.right - r.left, HeightPx(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

LRESULT CALLBACK Toolbar::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) noexcept {
    (void)id;
    return Barrier([&] { return reinterpret_cast<Toolbar*>(self)->OnMessage(message, wParam, lParam); },
                   [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
}

// Listeners run last: a right button's release may open the popup menu,
// whose commands can discard this very toolbar.
LRESULT Toolbar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Screen readers and the system's accessibility proxies ask a button for
    // its text: its program's name, as the tooltip shows it. Kept out of the
    // control, which would measure its buttons anew by it.
    if (message == TB_GETBUTTONTEXTW || message == TB_GETBUTTONTEXTA) {
        const auto it = byId_.find(static_cast<int>(wParam));
        if (it != byId_.end())
            return AnswerButtonText(buttons_[it->second].toolTipWide, message == TB_GETBUTTONTEXTW, lParam);
    }
    if (LRESULT answer = 0; AnswerAccessible(message, wParam, lParam, answer)) return answer;
    HWND hwnd = hwnd_.get();
    // A release first runs the button click, whose listener may do the
    // same; nothing of this object is read after the control's own handling.
    IToolbarEvents& events = events_;
    const int32_t index = index_;
    const TwipScale scale = scale_;
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            // The chevron opens its menu at the press, as Windows' own do.
            if (const std::optional<RECT> chevron = TrackChevron(message, lParam)) {
                const RECT at = *chevron;
                if (!IsRectEmpty(&at)) Barrier([&] { events.OnChevron(index, at); });
                return 0;
            }
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            TrackDrag(message, wParam, lParam);
            return result;
        }
        case WM_MOUSELEAVE:
            TrackChevron(message, lParam);
            break;
        case WM_KILLFOCUS:
            FocusChevron(false);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            TrackDrag(message, wParam, lParam);
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            Barrier([&] { events.OnToolbarMouseUp(index, MouseArgsFrom(message, wParam, lParam, scale)); });
            return result;
        }
        case WM_MOUSEMOVE: {
            // A drag runs to its end inside; nothing of this object is read after it.
            if (TrackDrag(message, wParam, lParam)) return 0;
            TrackChevron(message, lParam);
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            Barrier([&] { events.OnToolbarMouseMove(index, MouseArgsFrom(message, wParam, lParam, scale)); });
            return result;
        }
        case WM_PAINT: {
            SyncButtons();
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            DrawChevron();
            DrawInsertMark();
            return result;
        }
        case WM_ERASEBKGND:
            if (CurrentColours().Dark()) {
                RECT client{};
                GetClientRect(hwnd, &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, ColourBrush(CurrentColours().page));
                return 1;
            }
            break;
        case WM_CONTEXTMENU: {
            // The right button's release has been reported; no second menu.
            if (lParam != -1) return 0;
            // The Menu key or Shift+F10: the menu of the keyboard's button, as
            // a right-click on it gives.
            const auto hot = static_cast<int>(DefSubclassProc(hwnd, TB_GETHOTITEM, 0, 0));
            const RECT r = hot >= 0 ? ItemRect(static_cast<size_t>(hot)) : RECT{};
            const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            Barrier([&] { events.OnToolbarMouseUp(index, MouseArgsFrom(WM_RBUTTONUP, 0, at, scale)); });
            return 0;
        }
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace lark::win
