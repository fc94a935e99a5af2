#include "bar/BarArrangement.h"

#include <cmath>
#include <utility>

#include "bar/ButtonRows.h"
#include "base/AppBarShell.h"
#include "base/Conversions.h"
#include "base/Texts.h"

namespace lark {
namespace {

// Whether a window of `size` twips at `at` reaches within the edge zone of
// the far side of `room` twips.
bool NearFarSide(int32_t at, int32_t size, int32_t room) {
    const float a = static_cast<float>(size) + static_cast<float>(at);
    const float b = static_cast<float>(room) - static_cast<float>(BarArrangement::kEdgeTwips);
    return b <= a;
}

}  // namespace

int32_t BarArrangement::Thickness(int32_t iconSize, const TwipsPerPixel& scale, int32_t previous) {
    if (iconSize == 0) return scale.Pixels(1050);
    if (iconSize == 1) return scale.Pixels(800);
    return previous;
}

namespace {

// One row of the floating window: its designed height, and the height of a
// row of buttons.
int32_t OneRowPx(int32_t iconSize, int32_t dpi) {
    return TwipsPerPixel(dpi).Pixels(BarArrangement::FloatingHeightTwips(iconSize));
}
int32_t RowPx(int32_t iconSize, int32_t dpi) {
    return MeasureToolbar(dpi, PictureSizePx(iconSize == 0, dpi)).buttonHeight;
}

}  // namespace

int32_t BarArrangement::FloatingHeightPx(int32_t iconSize, int32_t dpi, int32_t rows) {
    return HeightForRows(rows, OneRowPx(iconSize, dpi), RowPx(iconSize, dpi));
}

int32_t BarArrangement::FloatingRows(int32_t iconSize, int32_t dpi, int32_t heightPx) {
    return RowsInHeight(heightPx, OneRowPx(iconSize, dpi), RowPx(iconSize, dpi));
}

RectPx BarArrangement::StoredFloatingRect(const AppState& s, const std::vector<MonitorInfo>& monitors) {
    const int32_t left = s.TwipsPerPixelX.Pixels(s.FloatLeft);
    const int32_t top = s.TwipsPerPixelY.Pixels(s.FloatTop);
    const int32_t dpi = NearestMonitor(monitors, PointPx{left, top}).dpi;
    const TwipsPerPixel scale(dpi);
    const int32_t rows = FloatingRows(s.IconSize, dpi, scale.Pixels(s.FloatHeight));
    const RectPx stored{left, top, left + scale.Pixels(s.FloatWidth), top + FloatingHeightPx(s.IconSize, dpi, rows)};
    // A place on a monitor that is gone comes back on the nearest one.
    return ClampInto(stored, NearestMonitor(monitors, stored).work);
}

std::vector<MonitorInfo> BarArrangement::Monitors() {
    std::vector<MonitorInfo> monitors = monitors_.Monitors();
    if (monitors.empty()) {
        // A platform that names none: the primary screen as measured.
        const RectPx screen{0, 0, s_.ScreenWidthPx, s_.ScreenHeightPx};
        monitors.push_back(MonitorInfo{screen, screen, s_.TwipsPerPixelY.Dpi()});
    }
    return monitors;
}

void BarArrangement::SetPosition(int32_t code) {
    s_.PreviousBarPosition = s_.BarPosition;
    s_.BarPosition = code;
    s_.DockStateChanged = (s_.PreviousBarPosition != kBarFloating) != (s_.BarPosition != kBarFloating);
}

int32_t BarArrangement::CodeForY(int32_t y) const {
    if (y <= kEdgeTwips) return kBarTop;
    // The floating window's height counts even while the docked bar is the
    // one being dragged.
    const TwipsPerPixel scale(s_.BarMonitor.dpi);
    if (NearFarSide(y, scale.Twips(Height(floating_.Bounds())), scale.Twips(Height(s_.BarMonitor.work))))
        return kBarBottom;
    return kBarFloating;
}

void BarArrangement::ChooseBarPosition(int32_t y) {
    try {
        BusyPointer busy(pointer_);
        SetPosition(CodeForY(y));
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_APPBAR_POSITION), CurrentError());
    }
}

void BarArrangement::ChooseBarPosition(int32_t x, int32_t y) {
    try {
        BusyPointer busy(pointer_);
        // A corner belongs to the top or bottom edge, as before there were
        // columns.
        int32_t code = CodeForY(y);
        if (code == kBarFloating) {
            const TwipsPerPixel scale(s_.BarMonitor.dpi);
            if (x <= kEdgeTwips) {
                code = kBarLeft;
            } else if (NearFarSide(x, scale.Twips(Width(floating_.Bounds())), scale.Twips(Width(s_.BarMonitor.work)))) {
                code = kBarRight;
            }
        }
        SetPosition(code);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_APPBAR_POSITION), CurrentError());
    }
}

void BarArrangement::ShowConfiguredBar() {
    const int32_t target = s_.BarPosition;
    // The Options dialog stores the new code before the bar moves; the
    // change is from what is on screen, on the monitor the bar is on.
    s_.BarPosition = shown_;
    try {
        const RectPx now = shown_ == kBarFloating ? floating_.Bounds() : s_.BarMonitor.bounds;
        s_.BarMonitor = NearestMonitor(Monitors(), now);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_APPBAR_POSITION), CurrentError());
        return;
    }
    if (IsColumn(target)) {
        // Reached directly: no made-up place of a tall or wide floating
        // window may turn a column into a row.
        try {
            BusyPointer busy(pointer_);
            SetPosition(target);
        } catch (...) {
            errors_.ShowError(Text(IDS_ERR_APPBAR_POSITION), CurrentError());
        }
        ArrangeBar(false);
        return;
    }
    int32_t y = 402;
    if (target == kBarTop) {
        y = 398;
    } else if (target == kBarBottom) {
        const TwipsPerPixel scale(s_.BarMonitor.dpi);
        y = static_cast<int32_t>(
            RoundHalfEven(static_cast<double>(scale.Twips(Height(s_.BarMonitor.work))) - kEdgeTwips + 2));
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
    // The drop point counts for this arrangement only.
    const std::optional<PointPx> drop = std::exchange(drop_, std::nullopt);
    try {
        BusyPointer busy(pointer_);
        const bool fromDock = s_.DockStateChanged;
        if (s_.DockStateChanged) {
            // A docked bar dragged off its edge floats where it was dropped;
            // otherwise the window comes back where it floated before.
            if (drop) floating_.MoveTo(*drop);
            s_.DockStateChanged = false;
            UnregisterAppBar(s_.BarPosition);
        }
        docked_.Hide();
        floating_.Show();
        if (fromDock) KeepFloatingOnScreen();
        RememberFloatingPlace();
        floating_.EnableMoveDetection(true);
        shown_ = kBarFloating;
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_FLOAT_DIMENSION), CurrentError());
    }
}

void BarArrangement::KeepFloatingOnScreen() {
    const RectPx now = floating_.Bounds();
    const RectPx inside = ClampInto(now, NearestMonitor(Monitors(), now).work);
    if (!(inside == now)) floating_.MoveTo(PointPx{inside.left, inside.top});
}

void BarArrangement::RememberFloatingPlace() {
    const RectPx now = floating_.Bounds();
    s_.FloatLastTop = s_.TwipsPerPixelY.Twips(now.top);
    s_.FloatLastLeft = s_.TwipsPerPixelX.Twips(now.left);
}

void BarArrangement::FloatMoved() {
    try {
        floating_.EnableMoveDetection(false);
        s_.BarPlacement = floating_.Placement();
        const RectPx& place = s_.BarPlacement.normalPosition;
        const int32_t top = s_.TwipsPerPixelY.Twips(place.top);
        const int32_t left = s_.TwipsPerPixelX.Twips(place.left);
        // A pixel either way is no move. Positions are compared, so a move
        // from -300 to 300 twips is one.
        const bool unmoved = std::abs(top - s_.FloatLastTop) <= s_.TwipsPerPixelY.Value() &&
                             std::abs(left - s_.FloatLastLeft) <= s_.TwipsPerPixelX.Value();
        if (unmoved) {
            floating_.EnableMoveDetection(true);
            return;
        }
        s_.BarMonitor = NearestMonitor(Monitors(), place);
        const TwipsPerPixel scale(s_.BarMonitor.dpi);
        ChooseBarPosition(scale.Twips(place.left - s_.BarMonitor.work.left),
                          scale.Twips(place.top - s_.BarMonitor.work.top));
        ArrangeBar(false);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_FLOAT_REPOSITION), CurrentError());
    }
}

void BarArrangement::DropDockedBar(PointPx point) {
    try {
        s_.BarMonitor = NearestMonitor(Monitors(), point);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_APPBAR_POSITION), CurrentError());
        return;
    }
    const TwipsPerPixel scale(s_.BarMonitor.dpi);
    ChooseBarPosition(scale.Twips(point.x - s_.BarMonitor.work.left), scale.Twips(point.y - s_.BarMonitor.work.top));
    drop_ = point;
    ArrangeBar(false);
    drop_.reset();
}

void BarArrangement::UnregisterAppBar(int32_t positionCode) {
    try {
        if (s_.AutoHideBarWindow != 0) {
            // Other codes leave the edge as the last docked arrangement set it.
            if (IsEdge(positionCode)) s_.AppBarInfo.uEdge = EdgeOf(positionCode);
            s_.AppBarInfo.lParam = 0;
            s_.AppBarInfo.hWnd = s_.AutoHideBarWindow;
            SetAutoHideBar(shell_, s_.AppBarInfo, s_.AutoHideMonitor, false);
            autoHideHeld_ = false;
        }
        if (s_.AppBarInfo.hWnd != 0) {
            shell_.Send(ABM_REMOVE_, s_.AppBarInfo);
            registered_ = false;
            lastSet_.reset();
        }
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_DOCK_UNREGISTER), CurrentError());
    }
}

void BarArrangement::ArrangeDocked(bool force) {
    try {
        BusyPointer busy(pointer_);
        docked_.Create();
        floating_.EnableMoveDetection(false);
        docked_.EnableHideTimer(false);
        const bool otherEdge = s_.BarPosition != s_.PreviousBarPosition && s_.PreviousBarPosition != kBarFloating;
        // The same edge of another monitor: the old edge's auto-hide slot
        // is given back as well.
        const bool otherMonitor = autoHideHeld_ && !(s_.AutoHideMonitor == s_.BarMonitor.bounds);
        if (otherEdge || otherMonitor || force) UnregisterAppBar(force ? s_.BarPosition : s_.PreviousBarPosition);
        floating_.Hide();
        if (s_.DockStateChanged) {
            floating_.EnableMoveDetection(false);
            s_.DockStateChanged = false;
        }
        shell_.Send(ABM_NEW_, s_.AppBarInfo);
        registered_ = true;
        s_.BarThickness = Thickness(s_.IconSize, TwipsPerPixel(s_.BarMonitor.dpi), s_.BarThickness);
        bool edgeTaken = false;
        if (IsEdge(s_.BarPosition)) {
            docked_.SetColumn(IsColumn(s_.BarPosition));
            const int registered = s_.AutoHideOn ? RegisterAutoHide(EdgeOf(s_.BarPosition)) : 0;
            // Refused: a fixed bar, and the choice is saved so.
            if (registered != 1) s_.AutoHideOn = false;
            edgeTaken = registered == -1;
            autoHideHeld_ = registered == 1;
            PlaceOnEdge(autoHideHeld_, false);
        }
        docked_.Show();
        docked_.MakeTopmost();
        shown_ = s_.BarPosition;
        if (edgeTaken) {
            events_.DoEvents();
            edgeTaken_.Show();
        }
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_DOCK_DIMENSION), CurrentError());
    }
}

void BarArrangement::OnDisplayChanged() {
    try {
        const std::vector<MonitorInfo> monitors = Monitors();
        s_.ScreenWidthPx = Width(monitors.front().bounds);
        s_.ScreenHeightPx = Height(monitors.front().bounds);
        if (shown_ == kBarFloating) {
            KeepFloatingOnScreen();
            RememberFloatingPlace();
            return;
        }
        s_.BarMonitor = NearestMonitor(monitors, s_.BarMonitor.bounds);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_DOCK_DIMENSION), CurrentError());
        return;
    }
    // Forced: the auto-hide slot is given back before the edge is asked for
    // again, so the bar does not find itself holding it.
    ArrangeBar(true);
}

void BarArrangement::OnShellRestarted() {
    if (shown_ == kBarFloating) return;
    ArrangeBar(true);
}

void BarArrangement::OnFullScreenApp(bool opened) {
    if (shown_ == kBarFloating) return;
    if (opened) {
        docked_.DropTopmost();
    } else {
        docked_.MakeTopmost();
    }
}

void BarArrangement::OnAppBarPosChanged() {
    if (shown_ == kBarFloating || !registered_) return;
    if (!IsEdge(s_.BarPosition)) return;
    try {
        PlaceOnEdge(autoHideHeld_, true);
    } catch (...) {
        errors_.ShowError(Text(IDS_ERR_DOCK_DIMENSION), CurrentError());
    }
}

void BarArrangement::OnDockActivated() {
    if (registered_) Guard([&] { shell_.Send(ABM_ACTIVATE_, s_.AppBarInfo); });
}

void BarArrangement::OnDockWindowPosChanged() {
    if (registered_) Guard([&] { shell_.Send(ABM_WINDOWPOSCHANGED_, s_.AppBarInfo); });
}

void BarArrangement::IconSizeChanged() {
    if (shown_ == kBarFloating) return;
    // The same edge and registration, the thickness of the new size.
    ArrangeBar(false);
}

void BarArrangement::OnDockDpiChanged(int32_t dpi) {
    if (dpi <= 0 || dpi == s_.BarMonitor.dpi) return;
    s_.BarMonitor.dpi = dpi;
    if (shown_ == kBarFloating) return;
    // The same edge and registration, the thickness of the new DPI.
    ArrangeBar(false);
}

}  // namespace lark
