#include "bar/win32/BarForm.h"

#include "bar/BarInput.h"

namespace lark::win {

void BarForm::CreateContent() {
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    content_ = std::make_unique<BarContent>(Handle(), lists_.small, lists_.large, scale, *this);
}

void BarForm::LayoutContent() {
    if (content_ && !IsIconic(Handle())) content_->Layout();
}

void BarForm::OnTabSelected(int32_t position) { ShowSectionToolbar(*content_, position); }

void BarForm::OnButtonClick(int32_t toolbarIndex, const std::string& key) {
    ButtonTag tag;
    // A button without its tag has nothing to open.
    if (!Guard([&] { tag = content_->GetButtonTag(toolbarIndex, key); })) return;
    host_.LaunchButton(kind_, tag);
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
