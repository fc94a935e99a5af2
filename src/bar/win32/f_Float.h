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
    // Moves the window to this rectangle (its height kept to whole rows of
    // buttons at the window's DPI), shows it and turns move detection on.
    void PlaceAndShow(const RectPx& place);
    // The pictures' size changed: the same rows of the new height.
    void IconSizeChanged();

    // IFloatingBar
    RectPx Bounds() const override { return WindowBounds(); }
    void MoveTo(PointPx topLeft) override;
    void Show() override;
    void Hide() override;
    WindowPlacement Placement() const override;
    void EnableMoveDetection(bool enabled) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnload(bool& cancel) override;
    void OnDpiChanged(UINT dpi, const RECT* suggested) override;

private:
    // The height of the window's rows at its DPI and icon size.
    void EnforceHeight();
    // Our own moves and sizes, which keep the rows as they are.
    template <class Change>
    void Adjust(Change&& change);
    // A move has ended: a monitor of another DPI is taken on, then the
    // position rules hear of it.
    void OnMoveEnded();

    HICON icon_;
    bool moveDetection_ = false;
    bool inSizeMove_ = false;   // the user is dragging or sizing the window
    bool movePosted_ = false;   // a check of the position is on its way
    bool placing_ = false;      // the program puts the window at a given rectangle
    bool adjusting_ = false;    // the window's own sizing, not the user's
    int32_t rows_ = 1;          // rows of buttons the window has room for
    POINT sizeFrom_{0, 0};      // the pointer when the user began to size the window
    int sizeHeight_ = 0;        // and the window's height then
};

}  // namespace lark::win
