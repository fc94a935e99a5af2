#include "bar/DockedInput.h"

#include <cmath>

#include "base/Conversions.h"

namespace lark {

void DockedInput::Reveal() {
    if (!s_.AutoHideOn) return;
    try {
        const int32_t width = s_.BarRight - s_.BarLeft;
        const int32_t top = docked_.TopTwips();
        if (s_.BarPosition == kBarTop) {
            // A top of exactly 0 is a bar already shown.
            if (top >= 0) return;
            docked_.Place(s_.BarLeft, 0, width, s_.BarThickness, IDockedBar::Flags::ShowWindow);
            docked_.EnableHideTimer(true);
        } else if (s_.BarPosition == kBarBottom) {
            if (top / s_.TwipsPerPixelY + s_.BarThickness <= s_.ScreenHeightPx) return;
            docked_.Place(s_.BarLeft, s_.ScreenHeightPx - s_.BarThickness, width, s_.BarThickness,
                          IDockedBar::Flags::ShowWindow);
            docked_.EnableHideTimer(true);
        }
    } catch (...) {
        errors_.ShowError("Error displaying the AutoHide appbar.", CurrentError());
    }
}

void DockedInput::HideTimerTick() {
    if (held_) return;
    try {
        const PointPx cursor = cursor_.Position();
        const int32_t top = docked_.TopTwips();
        const int32_t firstRow = top / s_.TwipsPerPixelY;
        const int32_t lastRow = (top + docked_.HeightTwips()) / s_.TwipsPerPixelY;
        // Only the rows count: leaving sideways keeps the bar shown.
        if (cursor.y <= lastRow && cursor.y >= firstRow) return;
        const int32_t width = s_.BarRight - s_.BarLeft;
        const int32_t height = s_.BarThickness + BarArrangement::kAutoHideStripPx;
        if (s_.BarPosition == kBarTop) {
            docked_.Place(s_.BarLeft, -s_.BarThickness, width, height, IDockedBar::Flags::NoActivate);
        } else if (s_.BarPosition == kBarBottom) {
            docked_.Place(s_.BarLeft, s_.ScreenHeightPx - BarArrangement::kAutoHideStripPx, width, height,
                          IDockedBar::Flags::NoActivate);
        }
        docked_.EnableHideTimer(false);
    } catch (...) {
        errors_.ShowError("Error hiding the AutoHide appbar.", CurrentError());
    }
}

void DockedInput::TabMouseDown() {
    s_.CursorPos = cursor_.Position();
    mouseDownX_ = s_.CursorPos.x;
    mouseDownY_ = s_.CursorPos.y;
}

void DockedInput::TabMouseUp(int16_t button) {
    if (button == kRightButton) return;
    try {
        s_.CursorPos = cursor_.Position();
        const int32_t x = s_.CursorPos.x;
        const int32_t y = s_.CursorPos.y;
        if (std::abs(std::abs(y) - std::abs(mouseDownY_)) <= kClickTolerancePx &&
            std::abs(std::abs(x) - std::abs(mouseDownX_)) <= kClickTolerancePx)
            return;  // a click
        RectPx& r = s_.BarPlacement.normalPosition;
        r.top = y;
        r.left = x;
        r.right = static_cast<int32_t>(RoundHalfEven(static_cast<double>(docked_.WidthTwips()) / s_.TwipsPerPixelX)) + x;
        r.bottom =
            static_cast<int32_t>(RoundHalfEven(static_cast<double>(docked_.HeightTwips()) / s_.TwipsPerPixelY)) + y;
        docked_.SetPlacement(s_.BarPlacement);
        arrangement_.ChooseBarPosition(y * s_.TwipsPerPixelY);
        arrangement_.ArrangeBar(false);
    } catch (...) {
        errors_.ShowError("Error determining the cursor's position.", CurrentError());
    }
}

}  // namespace lark
