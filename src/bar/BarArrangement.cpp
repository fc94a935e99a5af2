#include "bar/BarArrangement.h"

#include <cmath>

#include "base/Conversions.h"

namespace lark {
namespace {

constexpr uint32_t kEdgeLeft = 0;
constexpr uint32_t kEdgeTop = 1;
constexpr uint32_t kEdgeRight = 2;
constexpr uint32_t kEdgeBottom = 3;

}  // namespace

int32_t BarArrangement::Thickness(int32_t iconSize, int32_t twipsPerPixelY, int32_t previous) {
    if (iconSize == 0) return 1050 / twipsPerPixelY;
    if (iconSize == 1) return 800 / twipsPerPixelY;
    return previous;
}

void BarArrangement::ChooseBarPosition(int32_t y) {
    try {
        BusyPointer busy(pointer_);
        s_.PreviousBarPosition = s_.BarPosition;
        int32_t code = kBarFloating;
        if (y <= kEdgeTwips) {
            code = kBarTop;
        } else {
            // The floating window's height counts even while the docked bar
            // is the one being dragged.
            const float a = static_cast<float>(floating_.HeightTwips()) + static_cast<float>(y);
            const float b = static_cast<float>(s_.ScreenHeightPx) * static_cast<float>(s_.TwipsPerPixelY) -
                            static_cast<float>(kEdgeTwips);
            if (b <= a) code = kBarBottom;
        }
        s_.BarPosition = code;
        s_.DockStateChanged = (s_.PreviousBarPosition != kBarFloating) != (s_.BarPosition != kBarFloating);
    } catch (...) {
        errors_.ShowError("Error setting appbar position.", CurrentError());
    }
}

void BarArrangement::ShowConfiguredBar() {
    const int32_t target = s_.BarPosition;
    // The Options dialog stores the new code before the bar moves; the
    // change is from what is on screen.
    s_.BarPosition = shown_;
    int32_t y = 402;
    if (target == kBarTop) {
        y = 398;
    } else if (target == kBarBottom) {
        y = static_cast<int32_t>(RoundHalfEven(static_cast<double>(s_.ScreenHeightPx) * s_.TwipsPerPixelY -
                                               kEdgeTwips + 2));
    }
    ChooseBarPosition(y);
    ArrangeBar(false);
}

void BarArrangement::ArrangeBar(bool force) {
    if (s_.BarPosition == kBarFloating) {
        ArrangeFloating();
    } else {
        ArrangeDocked(force);
    }
}

void BarArrangement::ArrangeFloating() {
    try {
        BusyPointer busy(pointer_);
        if (s_.DockStateChanged) {
            // The floating window appears where the docked bar was dropped.
            floating_.MoveTo(docked_.LeftTwips(), docked_.TopTwips());
            s_.DockStateChanged = false;
            UnregisterAppBar(s_.BarPosition);
        }
        docked_.Hide();
        floating_.Show();
        s_.FloatLastTop = floating_.TopTwips();
        s_.FloatLastLeft = floating_.LeftTwips();
        floating_.EnableMoveTimer(true);
        shown_ = kBarFloating;
    } catch (...) {
        errors_.ShowError("Error dimensioning floating form.", CurrentError());
    }
}

void BarArrangement::FloatTimerTick() {
    try {
        floating_.EnableMoveTimer(false);
        s_.BarPlacement = floating_.Placement();
        const int32_t top = s_.BarPlacement.normalPosition.top * s_.TwipsPerPixelY;
        const int32_t left = s_.BarPlacement.normalPosition.left * s_.TwipsPerPixelX;
        // Absolute values first: a window moved from -300 to 300 twips left
        // counts as unmoved.
        const bool unmoved = std::abs(std::abs(top) - std::abs(s_.FloatLastTop)) <= s_.TwipsPerPixelY &&
                             std::abs(std::abs(left) - std::abs(s_.FloatLastLeft)) <= s_.TwipsPerPixelX;
        if (unmoved) {
            floating_.EnableMoveTimer(true);
            return;
        }
        ChooseBarPosition(top);
        ArrangeBar(false);
    } catch (...) {
        errors_.ShowError("Error repositioning the floating form.", CurrentError());
    }
}

void BarArrangement::UnregisterAppBar(int32_t positionCode) {
    try {
        if (s_.AutoHideBarWindow != 0) {
            switch (positionCode) {
                case kBarTop: s_.AppBarInfo.uEdge = kEdgeTop; break;
                case kBarBottom: s_.AppBarInfo.uEdge = kEdgeBottom; break;
                case kBarLeft: s_.AppBarInfo.uEdge = kEdgeLeft; break;
                case kBarRight: s_.AppBarInfo.uEdge = kEdgeRight; break;
                default: break;
            }
            s_.AppBarInfo.lParam = 0;
            s_.AppBarInfo.hWnd = s_.AutoHideBarWindow;
            shell_.Send(ABM_SETAUTOHIDEBAR_, s_.AppBarInfo);
        }
        if (s_.AppBarInfo.hWnd != 0) shell_.Send(ABM_REMOVE_, s_.AppBarInfo);
    } catch (...) {
        errors_.ShowError("Error unregistering docked appbar.", CurrentError());
    }
}

void BarArrangement::ArrangeDocked(bool force) {
    try {
        BusyPointer busy(pointer_);
        floating_.EnableMoveTimer(false);
        docked_.EnableHideTimer(false);
        if ((s_.BarPosition != s_.PreviousBarPosition && s_.PreviousBarPosition != kBarFloating) || force)
            UnregisterAppBar(force ? s_.BarPosition : s_.PreviousBarPosition);
        floating_.Hide();
        if (s_.DockStateChanged) {
            floating_.EnableMoveTimer(false);
            s_.DockStateChanged = false;
        }
        shell_.Send(ABM_NEW_, s_.AppBarInfo);
        s_.AppBarInfo.rc = RectPx{0, 0, s_.ScreenWidthPx, s_.ScreenHeightPx};
        s_.BarThickness = Thickness(s_.IconSize, s_.TwipsPerPixelY, s_.BarThickness);
        bool edgeTaken = false;
        if (s_.BarPosition == kBarTop) edgeTaken = PlaceTop();
        if (s_.BarPosition == kBarBottom) edgeTaken = PlaceBottom();
        docked_.Show();
        docked_.MakeTopmost();
        shown_ = s_.BarPosition;
        if (edgeTaken) {
            events_.DoEvents();
            edgeTaken_.Show();
        }
    } catch (...) {
        errors_.ShowError("Error dimensioning docked appbar.", CurrentError());
    }
}

void BarArrangement::OnDisplayChanged(int32_t widthPx, int32_t heightPx) {
    s_.ScreenWidthPx = widthPx;
    s_.ScreenHeightPx = heightPx;
    if (s_.BarPosition != kBarFloating) ArrangeBar(false);
}

void BarArrangement::OnShellRestarted() {
    if (s_.BarPosition != kBarFloating) ArrangeBar(true);
}

void BarArrangement::OnFullScreenApp(bool opened) {
    if (s_.BarPosition == kBarFloating) return;
    if (opened) {
        docked_.DropTopmost();
    } else {
        docked_.MakeTopmost();
    }
}

int BarArrangement::RegisterAutoHide() {
    if (shell_.Send(ABM_GETAUTOHIDEBAR_, s_.AppBarInfo) != 0) return -1;
    s_.AppBarInfo.lParam = -1;
    return shell_.Send(ABM_SETAUTOHIDEBAR_, s_.AppBarInfo) != 0 ? 1 : 0;
}

void BarArrangement::RecordAutoHideBar() {
    // Some shells answer nothing right after the registration; the bar that
    // was just registered is this one, and it must be released later.
    const uintptr_t answer = shell_.Send(ABM_GETAUTOHIDEBAR_, s_.AppBarInfo);
    s_.AutoHideBarWindow = answer != 0 ? answer : s_.AppBarInfo.hWnd;
}

bool BarArrangement::PlaceTop() {
    RectPx& rc = s_.AppBarInfo.rc;
    s_.AppBarInfo.uEdge = kEdgeTop;
    rc.top = 0;
    rc.left = 0;
    rc.right = s_.ScreenWidthPx;
    const int registered = s_.AutoHideOn ? RegisterAutoHide() : 0;
    if (registered == 1) {
        rc.bottom = rc.top + kAutoHideStripPx;
        shell_.Send(ABM_SETPOS_, s_.AppBarInfo);
        rc.top = 0;
        RecordAutoHideBar();
        docked_.Place(rc.left, rc.top - s_.BarThickness, rc.right - rc.left, s_.BarThickness + kAutoHideStripPx,
                      IDockedBar::Flags::NoActivate);
    } else {
        s_.AutoHideOn = false;
        rc.bottom = s_.BarThickness;
        shell_.Send(ABM_SETPOS_, s_.AppBarInfo);
        docked_.Place(rc.left, rc.top, rc.right - rc.left, s_.BarThickness, IDockedBar::Flags::NoActivate);
    }
    s_.BarLeft = rc.left;
    s_.BarRight = rc.right;
    return registered == -1;
}

bool BarArrangement::PlaceBottom() {
    RectPx& rc = s_.AppBarInfo.rc;
    s_.AppBarInfo.uEdge = kEdgeBottom;
    rc.left = 0;
    rc.right = s_.ScreenWidthPx;
    rc.bottom = s_.ScreenHeightPx;
    const int registered = s_.AutoHideOn ? RegisterAutoHide() : 0;
    if (registered == 1) {
        rc.top = rc.bottom - kAutoHideStripPx;
        shell_.Send(ABM_SETPOS_, s_.AppBarInfo);
        rc.bottom = s_.ScreenHeightPx;
        RecordAutoHideBar();
        docked_.Place(rc.left, rc.top, rc.right - rc.left, s_.BarThickness + kAutoHideStripPx,
                      IDockedBar::Flags::NoActivate);
    } else {
        s_.AutoHideOn = false;
        rc.top = rc.bottom - s_.BarThickness;
        shell_.Send(ABM_SETPOS_, s_.AppBarInfo);
        rc.top = rc.bottom - s_.BarThickness;
        docked_.Place(rc.left, rc.top, rc.right - rc.left, s_.BarThickness, IDockedBar::Flags::NoActivate);
    }
    s_.BarLeft = rc.left;
    s_.BarRight = rc.right;
    return registered == -1;
}

}  // namespace lark
