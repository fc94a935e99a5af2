#include "bar/win32/BarForm.h"

#include "base/BarInput.h"
#include "base/win32/Dpi.h"
#include "base/win32/EventLoop.h"

namespace lark::win {

void BarForm::CreateContent() {
    dpi_ = DpiOfWindow(Handle());
    // Mouse positions go to the menu in the system's twips, which bring
    // them back to the same pixels at any DPI.
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    content_ = std::make_unique<BarContent>(Handle(), lists_.small, lists_.large, scale, *this);
}

void BarForm::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    if (content_) content_->SetDpi(dpi);
    if (IsWindowVisible(Handle())) host_.ShownBarDpi(dpi);
}

void BarForm::AfterShow() {
    // The monitor's DPI: a tool window that the system told nothing of its
    // move has the old one still.
    const auto dpi = static_cast<UINT>(MonitorOfWindow(Handle()).dpi);
    if (dpi != dpi_) {
        OnDpiChanged(dpi, nullptr);
    } else {
        host_.ShownBarDpi(dpi);
    }
}

void BarForm::LayoutContent() {
    if (content_ && !IsIconic(Handle())) content_->Layout();
}

void BarForm::OnTabSelected(int32_t position) {
    ShowSectionToolbar(*content_, position);
    host_.SectionShown(*content_);
}

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
    const std::string key =
        content_->ToolbarAt(toolbarIndex).ButtonKeyAt(scale.x.NearestPixels(args.x), scale.y.NearestPixels(args.y));
    host_.ToolbarRightClick(toolbarIndex, key, content_->ToolbarHandle(toolbarIndex), args.x, args.y);
}

void BarForm::OnTabContextClick() {
    // From the keyboard: the menu opens at the mouse pointer.
    POINT cursor{};
    GetCursorPos(&cursor);
    app_.state.CursorPos = PointPx{cursor.x, cursor.y};
    ScreenToClient(content_->TabStripHandle(), &cursor);
    host_.TabStripRightClick(content_->TabStripHandle(), app_.state.TwipsPerPixelX.Twips(cursor.x),
                             app_.state.TwipsPerPixelY.Twips(cursor.y));
}

RectPx BarForm::WindowBounds() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return RectPx{r.left, r.top, r.right, r.bottom};
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
        case WM_SETCURSOR:
            // A long operation's hourglass stays while the mouse moves over the bar.
            if (app_.platform.MousePointer.Busy()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE: {
            // Tool windows may miss WM_DPICHANGED: look for a new DPI here too.
            const auto dpi = static_cast<UINT>(MonitorOfWindow(Handle()).dpi);
            if (dpi != dpi_) OnDpiChanged(dpi, nullptr);
            break;
        }
        default:
            if (message == EventLoop::CountsMessage()) return static_cast<LRESULT>(EventLoop::CountOf(wParam));
            break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
