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

    // A menu of pictures and names that drops from a rectangle of the
    // screen, or rises above it where there is more room above; its
    // pictures from `pictures`. The item chosen (from 1, 0 for none), and whether the
    // right button or the menu key chose it, asking for its own menu.
    struct ListChoice {
        int32_t item = 0;
        bool context = false;
    };
    ListChoice PopupList(const std::vector<MenuItem>& items, const KeyedImageList& pictures, HWND owner,
                         const RECT& below);

    // For the owner window's WM_MEASUREITEM and WM_DRAWITEM while a menu is
    // up; true when the message was the menu's.
    static bool HandleMessage(UINT message, LPARAM lParam);
    // For the owner window's WM_MENUCHAR: runs the item whose access key was
    // typed, for a system that leaves owner-drawn items' keys to the owner.
    static bool MenuChar(WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    // The menu's items, owner-drawn, with their texts; null when it cannot
    // be made.
    static HMENU MakeMenu(const std::vector<MenuItem>& items, const std::vector<std::string>& texts);
    // Fonts and pictures for the monitor at a point, and the items to draw.
    void Prepare(POINT at, const KeyedImageList* pictures, const std::vector<MenuItem>& items,
                 const std::vector<std::string>& texts, HMENU menu, const MenuColours& colours);
    void Finish(HWND window, HMENU menu);
    // While a list is up: a right-button release or the menu key on an item.
    static LRESULT CALLBACK ListFilter(int code, WPARAM wParam, LPARAM lParam) noexcept;
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
    HMENU list_ = nullptr;  // the list that is up
    int32_t contextItem_ = 0;
    HHOOK filter_ = nullptr;
    static MenuPresenter* active_;
};

}  // namespace lark::win
