#include "bar/win32/Toolbar.h"

#include <algorithm>

#include "app/RuntimeError.h"
#include "app/win32/Text.h"
#include "icons/win32/KeyedImageList.h"

namespace lark::win {
namespace {

constexpr DWORD kStyle = WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                         CCS_NODIVIDER | CCS_NOPARENTALIGN;
constexpr int kDefaultPicturePx = 16;
// Room around a picture inside its button, as the control's own default.
constexpr int kButtonPadX = 7;
constexpr int kButtonPadY = 6;
// Blank rows above and below the buttons.
constexpr int kEdgePx = 2;

}  // namespace

Toolbar::Toolbar(HWND parent, int32_t index, int controlId, TwipScale scale, IToolbarEvents& events)
    : index_(index), scale_(scale), events_(events) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    hwnd_.reset(CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kStyle, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr),
                                nullptr));
    if (!hwnd_) Raise(kErrOutOfMemory);
    if (!SetWindowSubclass(hwnd_.get(), &Toolbar::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this)))
        Raise(kErrOutOfMemory);
    SendMessageW(hwnd_.get(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    FitButtons();
}

Toolbar::~Toolbar() {
    if (hwnd_) RemoveWindowSubclass(hwnd_.get(), &Toolbar::SubclassProc, 0);
}

HWND Toolbar::ToolTipHandle() const {
    return reinterpret_cast<HWND>(SendMessageW(hwnd_.get(), TB_GETTOOLTIPS, 0, 0));
}

void Toolbar::AddButton(const std::string& key, const std::string& imageKey) {
    if (Find(key)) Raise(kErrKeyNotUnique);
    Button button;
    button.key = key;
    button.imageKey = imageKey;
    button.id = NextCommandId();
    buttons_.reserve(buttons_.size() + 1);

    TBBUTTON native{};
    native.iBitmap = ResolveImage(imageKey);
    native.idCommand = button.id;
    native.fsState = TBSTATE_ENABLED;
    native.fsStyle = BTNS_BUTTON;
    native.iString = -1;  // no caption: the name is the tooltip
    if (!SendMessageW(hwnd_.get(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&native))) Raise(kErrOutOfMemory);
    buttons_.push_back(std::move(button));
}

void Toolbar::RemoveButton(const std::string& key) {
    const Button& button = Must(key);
    const LRESULT position = SendMessageW(hwnd_.get(), TB_COMMANDTOINDEX, static_cast<WPARAM>(button.id), 0);
    if (position >= 0) SendMessageW(hwnd_.get(), TB_DELETEBUTTON, static_cast<WPARAM>(position), 0);
    buttons_.erase(buttons_.begin() + (&button - buttons_.data()));
}

void Toolbar::ClearButtons() {
    for (LRESULT n = SendMessageW(hwnd_.get(), TB_BUTTONCOUNT, 0, 0); n > 0; --n)
        SendMessageW(hwnd_.get(), TB_DELETEBUTTON, static_cast<WPARAM>(n - 1), 0);
    buttons_.clear();
}

std::vector<std::string> Toolbar::ButtonKeys() const {
    std::vector<std::string> keys;
    keys.reserve(buttons_.size());
    for (const Button& button : buttons_) keys.push_back(button.key);
    return keys;
}

void Toolbar::SetButtonTag(const std::string& key, const ButtonTag& tag) { Must(key).tag = tag; }

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
    list_ = list;
    SendMessageW(hwnd_.get(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
    for (const Button& button : buttons_) {
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_IMAGE;
        info.iImage = ResolveImage(button.imageKey);
        SendMessageW(hwnd_.get(), TB_SETBUTTONINFOW, static_cast<WPARAM>(button.id), reinterpret_cast<LPARAM>(&info));
    }
    FitButtons();
}

void Toolbar::SetVisible(bool visible) { ShowWindow(hwnd_.get(), visible ? SW_SHOWNA : SW_HIDE); }

bool Toolbar::Visible() const { return (GetWindowLongPtrW(hwnd_.get(), GWL_STYLE) & WS_VISIBLE) != 0; }

void Toolbar::BringToFront() {
    SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int Toolbar::HeightPx() const {
    const LRESULT size = SendMessageW(hwnd_.get(), TB_GETBUTTONSIZE, 0, 0);
    return HIWORD(size) + 2 * kEdgePx;
}

void Toolbar::Place(int left, int top, int width) {
    SetWindowPos(hwnd_.get(), nullptr, left, top, std::max(width, 0), HeightPx(), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Toolbar::HandleCommand(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != hwnd_.get() || !hwnd_) return false;
    const int id = LOWORD(wParam);
    auto it = std::find_if(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.id == id; });
    if (it == buttons_.end()) return true;
    // The listener may rebuild this toolbar: hand it its own copy.
    const std::string key = it->key;
    events_.OnButtonClick(index_, key);
    return true;
}

bool Toolbar::AnswerToolTip(NMTTDISPINFOW* info) const {
    if (!info || info->hdr.hwndFrom == nullptr || info->hdr.hwndFrom != ToolTipHandle()) return false;
    if (info->uFlags & TTF_IDISHWND) return false;
    const auto id = static_cast<int>(info->hdr.idFrom);
    auto it = std::find_if(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.id == id; });
    if (it == buttons_.end()) return false;
    // The tooltip copies the text before the button can change.
    info->lpszText = const_cast<wchar_t*>(it->toolTipWide.c_str());
    info->szText[0] = L'\0';
    info->hinst = nullptr;
    return true;
}

Toolbar::Button* Toolbar::Find(const std::string& key) {
    for (Button& button : buttons_)
        if (button.key == key) return &button;
    return nullptr;
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
        const int id = lastId_;
        if (std::none_of(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.id == id; })) return id;
    }
}

void Toolbar::FitButtons() {
    const int picture = list_ ? list_->Size() : kDefaultPicturePx;
    SendMessageW(hwnd_.get(), TB_SETBITMAPSIZE, 0, MAKELPARAM(picture, picture));
    SendMessageW(hwnd_.get(), TB_SETBUTTONSIZE, 0, MAKELPARAM(picture + kButtonPadX, picture + kButtonPadY));
    SendMessageW(hwnd_.get(), TB_AUTOSIZE, 0, 0);
    // Keep the place and width; only the height follows the buttons.
    RECT r{};
    GetWindowRect(hwnd_.get(), &r);
    SetWindowPos(hwnd_.get(), nullptr, 0, 0, r.right - r.left, HeightPx(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

LRESULT CALLBACK Toolbar::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) {
    (void)hwnd;
    (void)id;
    return reinterpret_cast<Toolbar*>(self)->OnMessage(message, wParam, lParam);
}

// Listeners run last: a right button's release may open the popup menu,
// whose commands can discard this very toolbar.
LRESULT Toolbar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_.get();
    // A release first runs the button click, whose listener may do the
    // same; nothing of this object is read after the control's own handling.
    IToolbarEvents& events = events_;
    const int32_t index = index_;
    const TwipScale scale = scale_;
    switch (message) {
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            events.OnToolbarMouseUp(index, MouseArgsFrom(message, wParam, lParam, scale));
            return result;
        }
        case WM_MOUSEMOVE: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            events.OnToolbarMouseMove(index, MouseArgsFrom(message, wParam, lParam, scale));
            return result;
        }
        case WM_CONTEXTMENU:
            // The right button's release has been reported; no second menu.
            if (lParam != -1) return 0;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace lark::win
