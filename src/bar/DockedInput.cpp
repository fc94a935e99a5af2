#include "bar/DockedInput.h"

#include <cstdlib>

#include "base/Texts.h"

namespace lark {

void DockedInput::Reveal() {
    if (!s_.AutoHideOn || !BarArrangement::IsEdge(s_.BarPosition)) return;
    try {
        const RectPx shown = arrangement_.ShownPlace();
        const RectPx now = docked_.Bounds();
        // A window over the whole of its place is a bar already shown; the
        // strip alone, hidden inside its monitor, lies on the edge too.
        if (now.left <= shown.left && now.top <= shown.top && now.right >= shown.right && now.bottom >= shown.bottom)
            return;
        docked_.Place(shown.left, shown.top, Width(shown), Height(shown), IDockedBar::Flags::ShowWindow);
        docked_.EnableHideTimer(true);
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
        // Only the distance from the edge counts: leaving along the edge
        // keeps the bar shown.
        if (BarArrangement::IsColumn(s_.BarPosition)) {
            if (cursor.x <= now.right && cursor.x >= now.left) return;
        } else if (cursor.y <= now.bottom && cursor.y >= now.top) {
            return;
        }
        if (BarArrangement::IsEdge(s_.BarPosition)) {
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
