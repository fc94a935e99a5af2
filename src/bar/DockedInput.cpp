#include "bar/DockedInput.h"

#include <cstdlib>

#include "base/Texts.h"

namespace lark {

void DockedInput::Reveal() {
    if (!s_.AutoHideOn) return;
    try {
        const int32_t width = s_.BarRight - s_.BarLeft;
        const RectPx now = docked_.Bounds();
        if (s_.BarPosition == kBarTop) {
            // A top right on the edge is a bar already shown, unless it is
            // the strip alone, hidden inside its monitor.
            if (now.top >= s_.BarEdge && Height(now) >= s_.BarThickness) return;
            docked_.Place(s_.BarLeft, s_.BarEdge, width, s_.BarThickness, IDockedBar::Flags::ShowWindow);
            docked_.EnableHideTimer(true);
        } else if (s_.BarPosition == kBarBottom) {
            if (now.top + s_.BarThickness <= s_.BarEdge) return;
            docked_.Place(s_.BarLeft, s_.BarEdge - s_.BarThickness, width, s_.BarThickness,
                          IDockedBar::Flags::ShowWindow);
            docked_.EnableHideTimer(true);
        }
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_AUTOHIDE_SHOW), CurrentError());
    }
}

void DockedInput::HideTimerTick() {
    // Its own menu, a dialog or a drag would lose the bar it belongs to.
    if (held_ || docked_.InUse()) return;
    try {
        const PointPx cursor = cursor_.Position();
        const RectPx now = docked_.Bounds();
        // Only the rows count: leaving sideways keeps the bar shown.
        if (cursor.y <= now.bottom && cursor.y >= now.top) return;
        if (s_.BarPosition == kBarTop || s_.BarPosition == kBarBottom) {
            const RectPx hidden = arrangement_.HiddenPlace();
            docked_.Place(hidden.left, hidden.top, Width(hidden), Height(hidden), IDockedBar::Flags::NoActivate);
        }
        docked_.EnableHideTimer(false);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_AUTOHIDE_HIDE), CurrentError());
    }
}

void DockedInput::TabMouseDown(PointPx at) {
    s_.CursorPos = at;
    mouseDownX_ = s_.CursorPos.x;
    mouseDownY_ = s_.CursorPos.y;
}

void DockedInput::TabMouseUp(int16_t button, PointPx at) {
    if (button == kRightButton) return;
    try {
        s_.CursorPos = at;
        const int32_t x = s_.CursorPos.x;
        const int32_t y = s_.CursorPos.y;
        // Positions, not distances from the screen's corner: a bar on a
        // monitor left of the primary one has negative coordinates.
        if (std::abs(y - mouseDownY_) <= kClickTolerancePx && std::abs(x - mouseDownX_) <= kClickTolerancePx)
            return;  // a click
        const RectPx now = docked_.Bounds();
        RectPx& r = s_.BarPlacement.normalPosition;
        r = RectPx{x, y, x + Width(now), y + Height(now)};
        docked_.SetPlacement(s_.BarPlacement);
        arrangement_.DropDockedBar(PointPx{x, y});
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_CURSOR), CurrentError());
    }
}

}  // namespace lark
