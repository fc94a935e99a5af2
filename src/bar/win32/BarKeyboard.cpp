// The keyboard on a bar window: Ctrl+Tab switches sections, Tab, the arrows,
// Home and End move over the buttons (one that does not fit comes into
// view) and the chevron after them, Enter or Space opens one (Down too, the
// chevron's menu or a folder's), and typed letters find a program in any
// section.
#include "bar/win32/BarForm.h"

#include <commctrl.h>

#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark::win {
namespace {

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

bool BarForm::PreTranslate(const MSG& msg) {
    // A disabled bar (a load runs, a modal window is up) takes no keys.
    if (!Loaded() || !content_ || !IsWindowEnabled(Handle())) return false;
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd)) return false;
    bool taken = false;
    // A key must never take the program down with it.
    Guard([&] { taken = msg.message == WM_CHAR ? OnChar(msg.wParam) : OnKeyDown(msg.wParam); });
    // The keys are the bar's own, not a dialog's: it shows the focus itself
    // from the first one on, as a dialog does.
    if (taken && msg.message == WM_KEYDOWN)
        SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    return taken;
}

bool BarForm::OnKeyDown(WPARAM key) {
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    switch (key) {
        case VK_TAB:
            find_->Clear();
            if (ctrl) {
                SwitchSection(shift ? -1 : 1);
            } else {
                MoveButtonFocus(shift ? -1 : 1);
            }
            return true;
        case VK_DOWN:
            find_->Clear();
            if (!PressFocusedChevron() && !OpenFocusedFolderMenu()) MoveButtonFocus(1);
            return true;
        case VK_RIGHT:
            find_->Clear();
            MoveButtonFocus(1);
            return true;
        case VK_LEFT:
        case VK_UP:
            find_->Clear();
            MoveButtonFocus(-1);
            return true;
        case VK_HOME:
        case VK_END: {
            find_->Clear();
            const int32_t index = VisibleToolbar();
            if (index < 0) return true;
            const auto count = static_cast<int>(Content().ButtonKeys(index).size());
            if (count > 0) FocusButton(index, key == VK_HOME ? 0 : count - 1);
            return true;
        }
        case VK_RETURN:
            LaunchFocusedButton(shift);
            return true;
        case VK_SPACE:
            // Inside a typed name a blank is part of it.
            if (find_->Active()) return false;
            LaunchFocusedButton(false);
            return true;
        case VK_BACK:
            return find_->Backspace();
        case VK_ESCAPE:
            if (!find_->Clear()) host_.LeaveBar();
            return true;
        default:
            return false;
    }
}

bool BarForm::OnChar(WPARAM unit) {
    const auto u = static_cast<wchar_t>(unit);
    if (u >= 0xD800 && u <= 0xDBFF) {
        highSurrogate_ = u;
        return true;
    }
    char32_t c = u;
    if (u >= 0xDC00 && u <= 0xDFFF) {
        if (highSurrogate_ == 0) return true;  // half a character: nothing to find with
        c = 0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (u - 0xDC00);
    }
    highSurrogate_ = 0;
    return find_->Type(c);
}

void BarForm::FindAgain(const std::string& text) {
    if (!find_ || text.empty()) return;
    find_->Clear();
    for (size_t pos = 0; pos < text.size();) find_->Type(NextCodePoint(text, pos));
}

void BarForm::FocusSection() {
    const int32_t index = VisibleToolbar();
    if (index >= 0) SetFocus(Bar().ToolbarHandle(index));
}

void BarForm::SwitchSection(int step) {
    ITabStrip& tabs = Content().TabControl1();
    const int32_t count = tabs.TabCount();
    if (count == 0) return;
    const int32_t current = tabs.CurrentTab();
    const int32_t next = ((current - 1 + step) % count + count) % count + 1;
    Guard([&] { tabs.SelectTab(next); });
    // The keyboard on the section's name, which shows it; Tab goes on to its buttons.
    SetFocus(Bar().TabStripHandle());
}

int32_t BarForm::VisibleToolbar() const {
    for (int32_t index : content_->ToolbarIndices())
        if (content_->ToolbarVisible(index)) return index;
    return -1;
}

void BarForm::MoveButtonFocus(int step) {
    const int32_t index = VisibleToolbar();
    if (index < 0) return;
    Toolbar& toolbar = Bar().ToolbarAt(index);
    HWND control = toolbar.Handle();
    const auto count = static_cast<int>(SendMessageW(control, TB_BUTTONCOUNT, 0, 0));
    if (count == 0) return;
    // The chevron, while it shows, is one more stop after the last button.
    const int stops = count + (toolbar.ChevronRect() ? 1 : 0);
    const int hot = toolbar.ChevronFocused() ? count : static_cast<int>(SendMessageW(control, TB_GETHOTITEM, 0, 0));
    const int next = hot < 0 ? (step > 0 ? 0 : stops - 1) : ((hot + step) % stops + stops) % stops;
    if (next < count) {
        FocusButton(index, next);
        return;
    }
    SetFocus(control);
    SendMessageW(control, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    toolbar.FocusChevron(true);
}

bool BarForm::PressFocusedChevron() {
    const int32_t index = VisibleToolbar();
    if (index < 0 || !Bar().ToolbarAt(index).ChevronFocused()) return false;
    return Bar().ToolbarAt(index).PressChevron();
}

void BarForm::FocusButton(int32_t toolbarIndex, int position) {
    Toolbar& toolbar = Bar().ToolbarAt(toolbarIndex);
    toolbar.FocusChevron(false);
    toolbar.ShowButton(static_cast<size_t>(position));
    HWND control = toolbar.Handle();
    SetFocus(control);
    SendMessageW(control, TB_SETHOTITEM, static_cast<WPARAM>(position), 0);
}

void BarForm::LaunchFocusedButton(bool elevated) {
    // Typed text that names nothing leaves no button to open.
    if (find_->Active() && !find_->Matched()) {
        MessageBeep(MB_OK);
        return;
    }
    if (PressFocusedChevron()) return;
    const int32_t index = VisibleToolbar();
    if (index < 0) return;
    HWND toolbar = Bar().ToolbarHandle(index);
    const auto hot = static_cast<int>(SendMessageW(toolbar, TB_GETHOTITEM, 0, 0));
    if (hot < 0) return;
    const std::vector<std::string> keys = Content().ButtonKeys(index);
    if (hot >= static_cast<int>(keys.size())) return;
    find_->Clear();
    const std::string& key = keys[static_cast<size_t>(hot)];
    if (!elevated) {
        OnButtonClick(index, key);
        return;
    }
    ButtonTag tag;
    if (!Guard([&] { tag = app_.state.Bar.MustButton(index, key).Tag(); })) return;
    // Where "Run as administrator" does not apply, Shift+Enter opens as Enter does.
    if (OffersRunAsAdministrator(tag)) {
        host_.LaunchButtonElevated(tag);
    } else {
        host_.LaunchButton(kind_, tag);
    }
}

bool BarForm::OpenFocusedFolderMenu() {
    const int32_t index = VisibleToolbar();
    if (index < 0) return false;
    Toolbar& toolbar = Bar().ToolbarAt(index);
    const auto hot = static_cast<int>(SendMessageW(toolbar.Handle(), TB_GETHOTITEM, 0, 0));
    const std::vector<std::string> keys = toolbar.ButtonKeys();
    if (hot < 0 || hot >= static_cast<int>(keys.size())) return false;
    const std::string key = keys[static_cast<size_t>(hot)];
    if (!toolbar.HasDropArrow(key)) return false;
    ButtonTag tag;
    if (!Guard([&] { tag = app_.state.Bar.MustButton(index, key).Tag(); })) return false;
    RECT r{};
    SendMessageW(toolbar.Handle(), TB_GETITEMRECT, static_cast<WPARAM>(hot), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(toolbar.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    host_.Folders().Open(tag.target, RectPx{r.left, r.top, r.right, r.bottom}, reinterpret_cast<uintptr_t>(Handle()),
                             true);
    return true;
}

void BarForm::SelectButton(const FoundButton& found) {
    Guard([&] { Content().TabControl1().SelectTab(found.tab); });
    FocusButton(found.toolbarIndex, found.button);
}

void BarForm::ShowFindText(const std::string& text, bool matched) {
    PlaceFindBox();
    findBox_->Show(text, matched);
}

void BarForm::PlaceFindBox() {
    if (!findBox_) return;
    // The right end of the tab row, where the tabs seldom reach: the row of
    // buttons reaches its end (the chevron, a program brought into view).
    const RECT page = Bar().Tabs().ClientRectPx();
    RECT strip{};
    GetWindowRect(Bar().TabStripHandle(), &strip);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&strip), 2);
    findBox_->Place(RECT{page.left, strip.top, page.right, page.top}, Bar().Column());
}

}  // namespace lark::win
