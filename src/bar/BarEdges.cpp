// Where a docked bar lies on its edge: the strip it asks the shell for,
// the auto-hide registration, and the bands along the edge where it shows,
// hides, or would cover a neighbouring monitor.
#include "bar/BarArrangement.h"

namespace lark {
namespace {

constexpr uint32_t kEdgeLeft = 0;
constexpr uint32_t kEdgeTop = 1;
constexpr uint32_t kEdgeRight = 2;
constexpr uint32_t kEdgeBottom = 3;

// Keeps `want` pixels of a rectangle from its outer side on the edge.
void KeepFromEdge(RectPx& rc, int32_t code, int32_t want) {
    switch (code) {
        case kBarTop: rc.bottom = rc.top + want; break;
        case kBarBottom: rc.top = rc.bottom - want; break;
        case kBarLeft: rc.right = rc.left + want; break;
        default: rc.left = rc.right - want; break;
    }
}

int32_t OuterSide(const RectPx& rc, int32_t code) {
    switch (code) {
        case kBarTop: return rc.top;
        case kBarBottom: return rc.bottom;
        case kBarLeft: return rc.left;
        default: return rc.right;
    }
}

}  // namespace

uint32_t BarArrangement::EdgeOf(int32_t code) {
    switch (code) {
        case kBarTop: return kEdgeTop;
        case kBarBottom: return kEdgeBottom;
        case kBarLeft: return kEdgeLeft;
        default: return kEdgeRight;
    }
}

int BarArrangement::RegisterAutoHide(uint32_t edge) {
    s_.AppBarInfo.uEdge = edge;
    // The edge of the bar's own monitor: another monitor's auto-hide bar on
    // the same side is no obstacle.
    const RectPx& monitor = s_.BarMonitor.bounds;
    const uintptr_t holder = GetAutoHideBar(shell_, s_.AppBarInfo, monitor);
    // The shell names this bar itself while it holds the slot: that is no
    // other bar, and registering again keeps it.
    if (holder != 0 && holder != s_.AppBarInfo.hWnd) return -1;
    if (!SetAutoHideBar(shell_, s_.AppBarInfo, monitor, true)) return 0;
    s_.AutoHideMonitor = monitor;
    return 1;
}

void BarArrangement::RecordAutoHideBar() {
    // Some shells answer nothing right after the registration; the bar that
    // was just registered is this one, and it must be released later.
    const uintptr_t answer = GetAutoHideBar(shell_, s_.AppBarInfo, s_.AutoHideMonitor);
    s_.AutoHideBarWindow = answer != 0 ? answer : s_.AppBarInfo.hWnd;
}

bool BarArrangement::NeighbourBeyondEdge() const {
    // What a hidden bar would take beyond its edge.
    const RectPx beyond = BandOnEdge(0, s_.BarThickness);
    for (const MonitorInfo& other : monitors_.Monitors()) {
        if (other.bounds == s_.BarMonitor.bounds) continue;
        const RectPx& b = other.bounds;
        if (b.left < beyond.right && beyond.left < b.right && b.top < beyond.bottom && beyond.top < b.bottom)
            return true;
    }
    return false;
}

RectPx BarArrangement::BandOnEdge(int32_t inside, int32_t outside) const {
    const int32_t edge = s_.BarEdge;
    switch (s_.BarPosition) {
        case kBarTop: return RectPx{s_.BarLeft, edge - outside, s_.BarRight, edge + inside};
        case kBarBottom: return RectPx{s_.BarLeft, edge - inside, s_.BarRight, edge + outside};
        case kBarLeft: return RectPx{edge - outside, s_.BarTop, edge + inside, s_.BarBottom};
        default: return RectPx{edge - inside, s_.BarTop, edge + outside, s_.BarBottom};
    }
}

RectPx BarArrangement::HiddenPlace() const {
    // Inside its own monitor, only its strip; else beyond the edge but for
    // its strip.
    return hideInside_ ? BandOnEdge(kAutoHideStripPx, 0) : BandOnEdge(kAutoHideStripPx, s_.BarThickness);
}

RectPx BarArrangement::ShownPlace() const { return BandOnEdge(s_.BarThickness, 0); }

void BarArrangement::PlaceOnEdge(bool autoHide, bool onlyIfMoved) {
    const int32_t code = s_.BarPosition;
    // An auto-hide bar reserves only the strip it keeps on the screen. The
    // proposal starts from the monitor's edge, never from the work area,
    // which already leaves out this bar's own strip. A column takes the
    // monitor's full height, a row its full width.
    const int32_t want = autoHide ? kAutoHideStripPx : s_.BarThickness;
    RectPx& rc = s_.AppBarInfo.rc;
    s_.AppBarInfo.uEdge = EdgeOf(code);
    rc = s_.BarMonitor.bounds;
    KeepFromEdge(rc, code, want);
    // The shell moves the proposal off other appbars' strips; the bar keeps
    // its own thickness from the edge the shell left it.
    shell_.Send(ABM_QUERYPOS_, s_.AppBarInfo);
    KeepFromEdge(rc, code, want);
    if (onlyIfMoved && lastSet_ && *lastSet_ == rc) return;
    shell_.Send(ABM_SETPOS_, s_.AppBarInfo);
    lastSet_ = rc;
    if (autoHide) RecordAutoHideBar();
    docked_.EnableHideTimer(false);
    s_.BarEdge = OuterSide(rc, code);
    s_.BarLeft = rc.left;
    s_.BarRight = rc.right;
    s_.BarTop = rc.top;
    s_.BarBottom = rc.bottom;
    if (autoHide) {
        // A hidden bar lying on a neighbouring monitor would take that
        // monitor's DPI and cover its edge.
        hideInside_ = NeighbourBeyondEdge();
        const RectPx hidden = HiddenPlace();
        docked_.Place(hidden.left, hidden.top, Width(hidden), Height(hidden), IDockedBar::Flags::NoActivate);
    } else {
        docked_.Place(rc.left, rc.top, Width(rc), Height(rc), IDockedBar::Flags::NoActivate);
    }
}

}  // namespace lark
