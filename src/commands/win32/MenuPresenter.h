#pragma once
// The popup menu on screen: an owner-drawn Win32 popup with group headers
// in their colours, pictures, check marks and disabled items. Keyboard use
// is the system menu's own (arrows, Enter, Esc).
#include <windows.h>

#include "base/AppState.h"
#include "base/win32/KeyedImageList.h"
#include "commands/PMenu.h"

namespace lark::win {

class MenuPresenter : public IMenuPresenter {
public:
    MenuPresenter(const KeyedImageList& images, TwipScale scale) : images_(images), scale_(scale) {}

    int32_t Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner, int32_t x,
                  int32_t y) override;

    // For the owner window's WM_MEASUREITEM and WM_DRAWITEM while a menu is
    // up; true when the message was the menu's.
    static bool HandleMessage(UINT message, LPARAM lParam);

private:
    void Measure(MEASUREITEMSTRUCT& measure) const;
    void Draw(const DRAWITEMSTRUCT& draw) const;

    const KeyedImageList& images_;
    TwipScale scale_;
    const std::vector<MenuItem>* items_ = nullptr;
    MenuColours colours_;
    static MenuPresenter* active_;
};

}  // namespace lark::win
