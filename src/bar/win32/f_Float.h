#pragma once
// The floating bar: a small tool window the user drags about the screen.
#include "bar/BarArrangement.h"
#include "bar/win32/BarForm.h"

namespace lark::win {

class f_Float : public BarForm, public IFloatingBar {
public:
    f_Float(FormRegistry& registry, App& app, BarImageLists lists, IBarHost& host, HICON icon)
        : BarForm(registry, app, lists, host, BarKind::Floating), icon_(icon) {}

    void Load();
    // Moves the window to FloatLeft / FloatTop / FloatWidth (twips), height
    // from the icon size, shows it and starts tmrFloat.
    void PlaceAndShow();

    // Window height in twips for an icon size.
    static int32_t HeightTwips(int32_t iconSize) { return iconSize == 1 ? 1100 : 1350; }

    // IFloatingBar
    int32_t TopTwips() const override { return BarForm::TopTwips(); }
    int32_t LeftTwips() const override { return BarForm::LeftTwips(); }
    int32_t HeightTwips() const override;
    void MoveTo(int32_t leftTwips, int32_t topTwips) override;
    void Show() override;
    void Hide() override;
    WindowPlacement Placement() const override;
    void EnableMoveTimer(bool enabled) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnload(bool& cancel) override;

private:
    void EnforceHeight();

    HICON icon_;
};

}  // namespace lark::win
