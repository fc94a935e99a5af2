#pragma once
// The docked bar under the mouse: an auto-hidden bar slides into view when
// the mouse touches its strip and hides again once the cursor has left it
// (past its rows, or its width for a column); a drag of its tab strip
// moves it to another edge or floats it.
#include "bar/BarArrangement.h"
#include "base/AppState.h"
#include "base/ErrorReporter.h"

namespace lark {

class DockedInput {
public:
    DockedInput(AppState& state, IDockedBar& docked, ICursor& cursor, BarArrangement& arrangement,
                const ErrorReporter& errors)
        : s_(state), docked_(docked), cursor_(cursor), arrangement_(arrangement), errors_(errors) {}

    // Mouse moves over the tab strip or a toolbar.
    void Reveal();
    // tmrHide: hides a bar the cursor has left, unless the bar is in use
    // (its menu, a dialog, a drag) or holds the keyboard.
    void HideTimerTick();
    // While held (the bar has the keyboard) a shown auto-hide bar stays,
    // wherever the mouse is; tmrHide hides it once released.
    void HoldShown(bool held) { held_ = held; }
    // Mouse down on the tab strip, any button, at a screen point: where the
    // press happened, not where the pointer has gone since.
    void TabMouseDown(PointPx at);
    // Mouse up on the tab strip; the right button belongs to the menu.
    void TabMouseUp(int16_t button, PointPx at);

    static constexpr int32_t kClickTolerancePx = 5;
    static constexpr int16_t kRightButton = 2;

private:
    AppState& s_;
    IDockedBar& docked_;
    ICursor& cursor_;
    BarArrangement& arrangement_;
    const ErrorReporter& errors_;
    int32_t mouseDownX_ = 0;
    int32_t mouseDownY_ = 0;
    bool held_ = false;
};

}  // namespace lark
