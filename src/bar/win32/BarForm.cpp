#include "bar/win32/BarForm.h"

#include "base/BarInput.h"

namespace lark::win {

void BarForm::CreateContent() {
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    content_ = std::make_unique<BarContent>(Handle(), lists_.small, lists_.large, scale, *this);
    findBox_ = std::make_unique<FindBox>(Handle());
    find_ = std::make_unique<TypeToFind>(*content_, static_cast<IFindView&>(*this));
}

void BarForm::LayoutContent() {
    if (content_ && !IsIconic(Handle())) {
        content_->Layout();
        PlaceFindBox();
    }
}

void BarForm::OnTabSelected(int32_t position) { ShowSectionToolbar(*content_, position); }

void BarForm::OnButtonClick(int32_t toolbarIndex, const std::string& key) {
    ButtonTag tag;
    // A button without its tag has nothing to open.
    if (!Guard([&] { tag = content_->GetButtonTag(toolbarIndex, key); })) return;
    host_.LaunchButton(kind_, tag);
}

void BarForm::OnTabMouseUp(const MouseArgs& args) {
    if (args.button == 2) host_.TabStripRightClick(content_->TabStripHandle(), args.x, args.y);
}

void BarForm::OnToolbarMouseUp(int32_t toolbarIndex, const MouseArgs& args) {
    if (args.button != 2) return;
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    const std::string key = content_->ToolbarAt(toolbarIndex).ButtonKeyAt(args.x / scale.x, args.y / scale.y);
    host_.ToolbarRightClick(toolbarIndex, key, content_->ToolbarHandle(toolbarIndex), args.x, args.y);
}

void BarForm::OnTabContextClick() {
    // From the keyboard: the menu opens at the mouse pointer.
    POINT cursor{};
    GetCursorPos(&cursor);
    app_.state.CursorPos = PointPx{cursor.x, cursor.y};
    ScreenToClient(content_->TabStripHandle(), &cursor);
    host_.TabStripRightClick(content_->TabStripHandle(), static_cast<double>(cursor.x) * app_.state.TwipsPerPixelX,
                             static_cast<double>(cursor.y) * app_.state.TwipsPerPixelY);
}

int32_t BarForm::TopTwips() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.top * app_.state.TwipsPerPixelY;
}

int32_t BarForm::LeftTwips() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.left * app_.state.TwipsPerPixelX;
}

LRESULT BarForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (content_ && content_->HandleNotify(reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        case WM_COMMAND:
            if (content_ && content_->HandleCommand(wParam, lParam)) return 0;
            break;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            // An owner-drawn popup menu owned by this window.
            if (host_.OwnerDraw(message, lParam)) return TRUE;
            break;
        // What these set in motion is skipped, never thrown through the window procedure.
        case WM_HOTKEY:
            Guard([&] { host_.HotkeyPressed(); });
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                Guard([&] { ClearFind(); });
                Guard([&] { host_.BarDeactivated(); });
            }
            break;
        case WM_SYSCOMMAND:
            // An Alt release alone enters menu mode, which eats the keys
            // typed next. The hotkey's own Alt goes down in the window the
            // hotkey came from and up here: that is no tap of the user's.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) return 0;
            break;
        case WM_SETFOCUS:
            // The frame itself does nothing with keys: the section does.
            Guard([&] { FocusSection(); });
            return 0;
        case WM_SETCURSOR:
            // A long operation's hourglass stays while the mouse moves over the bar.
            if (app_.platform.MousePointer.Busy()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
