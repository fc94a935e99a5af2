#pragma once
// A button whose target is a folder opens, from its drop arrow, a menu of
// the folder's content. The bar windows reach the folder menus through
// this port; the composition root hands them the real ones.
#include <cstdint>
#include <string>

#include "base/Geometry.h"

namespace lark {

class IFolderMenus {
public:
    virtual ~IFolderMenus() = default;
    // Whether a target is known to be a folder (a folder path, a special
    // folder, a shortcut to a folder). A target not yet known is looked at
    // away from the user-interface thread; the bar hears when it proves to
    // be one, and asks again.
    virtual bool IsFolder(const std::string& target) = 0;
    // Opens the folder's menu below the button (its rectangle on the screen,
    // in pixels), owned by a bar window; returns when the menu has closed.
    // From the keyboard, the menu opens with its first item selected.
    virtual void Open(const std::string& target, const RectPx& button, uintptr_t owner, bool fromKeyboard) = 0;
};

}  // namespace lark
