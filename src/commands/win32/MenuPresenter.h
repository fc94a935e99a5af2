#pragma once
// The popup menu on screen: an owner-drawn Win32 popup with group headers
// in their colours, pictures, check marks and disabled items. Keyboard use
// is the system menu's own (arrows, Enter, Esc). It is measured and drawn
// at the DPI of the monitor where it opens.
#include <windows.h>

#include <functional>

#include "base/Scale.h"
#include "base/win32/Handles.h"
#include "base/win32/KeyedImageList.h"
#include "commands/PMenu.h"

namespace lark::win {

class MenuPresenter : public IMenuPresenter {
public:
    // The menu's pictures at an edge length in pixels; the list must stay
    // valid while the menu is up.
    using ImagesAt = std::function<const KeyedImageList&(int sizePx)>;

    MenuPresenter(ImagesAt images, TwipScale scale) : images_(std::move(images)), scale_(scale) {}

    int32_t Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner, int32_t x,
                  int32_t y) override;

    // For the owner window's WM_MEASUREITEM and WM_DRAWITEM while a menu is
    // up; true when the message was the menu's.
    static bool HandleMessage(UINT message, LPARAM lParam);

private:
    bool Owns(UINT id, ULONG_PTR data) const;
    void Measure(MEASUREITEMSTRUCT& measure) const;
    void Draw(const DRAWITEMSTRUCT& draw) const;
    int Px(int at96) const;

    ImagesAt images_;
    TwipScale scale_;
    const std::vector<MenuItem>* items_ = nullptr;
    const std::vector<std::string>* texts_ = nullptr;  // the items' texts with their access keys
    HMENU menu_ = nullptr;
    const KeyedImageList* pictures_ = nullptr;
    MenuColours colours_;
    UINT dpi_ = 96;
    UniqueFont font_;
    UniqueFont boldFont_;
    static MenuPresenter* active_;
};

}  // namespace lark::win
