#pragma once
// The floating bar: a small tool window the user drags about the screen.
#include "bar/win32/BarForm.h"

namespace lark::win {

class f_Float : public BarForm {
public:
    f_Float(FormRegistry& registry, App& app, BarImageLists lists, HICON icon)
        : BarForm(registry, app, lists), icon_(icon) {}

    void Load();
    // Moves the window to FloatLeft / FloatTop / FloatWidth (twips), height
    // from the icon size, and shows it.
    void PlaceAndShow();

    // Window height in twips for an icon size.
    static int32_t HeightTwips(int32_t iconSize) { return iconSize == 1 ? 1100 : 1350; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnload(bool& cancel) override;

private:
    void EnforceHeight();

    HICON icon_;
};

}  // namespace lark::win
