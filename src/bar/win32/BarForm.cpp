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
