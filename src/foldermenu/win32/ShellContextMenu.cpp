#include "foldermenu/win32/ShellContextMenu.h"

namespace lark::win {

ShellContextMenu::~ShellContextMenu() { Release(); }

void ShellContextMenu::Release() {
    if (popup_) DestroyMenu(popup_);
    popup_ = nullptr;
    menu3_.reset();
    menu2_.reset();
    menu_.reset();
    chosen_ = 0;
}

bool ShellContextMenu::Track(IShellFolder& parent, const ITEMIDLIST* child, HWND owner, POINT at) {
    Release();
    // Some items have none (a network root may refuse): nothing shows.
    if (FAILED(parent.GetUIObjectOf(owner, 1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&child), IID_IContextMenu,
                                    nullptr, reinterpret_cast<void**>(menu_.put()))) ||
        !menu_)
        return false;
    popup_ = CreatePopupMenu();
    if (!popup_ || FAILED(menu_->QueryContextMenu(popup_, 0, kFirstCommand, kLastCommand, CMF_NORMAL))) {
        Release();
        return false;
    }
    if (FAILED(menu_->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(menu3_.put()))))
        menu_->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(menu2_.put()));
    owner_ = owner;
    at_ = at;
    tracking_ = true;
    // Over the folder's menu, which stays open beneath it.
    const UINT command = static_cast<UINT>(
        TrackPopupMenuEx(popup_, TPM_RETURNCMD | TPM_RECURSE | TPM_RIGHTBUTTON, at.x, at.y, owner, nullptr));
    tracking_ = false;
    if (command < kFirstCommand || command > kLastCommand) {
        Release();
        return false;
    }
    chosen_ = command;
    return true;
}

void ShellContextMenu::Invoke() {
    if (!menu_ || chosen_ == 0) return;
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    info.hwnd = owner_;
    info.lpVerb = MAKEINTRESOURCEA(chosen_ - kFirstCommand);
    info.lpVerbW = MAKEINTRESOURCEW(chosen_ - kFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    info.ptInvoke = at_;
    menu_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
    Release();
}

bool ShellContextMenu::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, bool ours, LRESULT& result) {
    if (!tracking_ || ours || (!menu3_ && !menu2_)) return false;
    switch (message) {
        case WM_MEASUREITEM: {
            const auto* measure = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
            if (!measure || measure->CtlType != ODT_MENU || measure->itemID < kFirstCommand ||
                measure->itemID > kLastCommand)
                return false;
            break;
        }
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!draw || draw->CtlType != ODT_MENU || draw->itemID < kFirstCommand || draw->itemID > kLastCommand)
                return false;
            break;
        }
        case WM_INITMENUPOPUP:
            break;
        case WM_MENUCHAR:
            // Only IContextMenu3 can answer it.
            if (!menu3_) return false;
            break;
        default:
            return false;
    }
    LRESULT answer = 0;
    const HRESULT hr = menu3_ ? menu3_->HandleMenuMsg2(message, wParam, lParam, &answer)
                              : menu2_->HandleMenuMsg(message, wParam, lParam);
    if (FAILED(hr)) return false;
    // Without IContextMenu3 the shell answers nothing of its own.
    result = menu3_ ? answer : (message == WM_INITMENUPOPUP ? 0 : TRUE);
    return true;
}

}  // namespace lark::win
