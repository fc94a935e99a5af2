#pragma once
// Where the bar is: floating, or docked as an appbar at any edge of a
// monitor (a row at the top or bottom, a column at the left or right),
// fixed or auto-hiding. The rules that choose the
// position code and arrange the two bar windows for it.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/AppBarShell.h"
#include "base/AppState.h"
#include "base/BarForms.h"
#include "base/ErrorReporter.h"
#include "base/Monitors.h"
#include "base/UiPorts.h"

namespace lark {

class BarArrangement : public IBarArrangement {
public:
    BarArrangement(AppState& state, IFloatingBar& floating, IDockedBar& docked, IAppBarShell& shell,
                   IMonitors& monitors, IEdgeTakenMessage& edgeTaken, IEventLoop& events, IMousePointer& pointer,
                   const ErrorReporter& errors)
        : s_(state),
          floating_(floating),
          docked_(docked),
          shell_(shell),
          monitors_(monitors),
          edgeTaken_(edgeTaken),
          events_(events),
          pointer_(pointer),
          errors_(errors) {}

    // y in twips (at the DPI of BarMonitor) from the top of BarMonitor's
    // work area: near the top docks at the top, near enough the bottom
    // (with the floating window's height) at the bottom, else it floats.
    void ChooseBarPosition(int32_t y);
    // The same with x from the work area's left: where neither the top nor
    // the bottom takes the bar, near the left docks at the left, near
    // enough the right (with the floating window's width) at the right.
    void ChooseBarPosition(int32_t x, int32_t y);
    // Shows the bar in the position BarPosition holds. Force renews the
    // appbar registration although the edge did not change.
    void ArrangeBar(bool force) override;
    // Puts the bar into the configured BarPosition (start-up, Options) on
    // the monitor it is on, coming from the position the screen shows, so
    // that leaving an edge gives it back.
    void ShowConfiguredBar() override;
    // A move of the floating window has ended: once it has really moved,
    // the position is decided again for the monitor it is on.
    void FloatMoved();
    // The docked bar was dragged and dropped at a point: the position that
    // point asks for on its monitor; floating, the window appears there.
    void DropDockedBar(PointPx point);
    void UnregisterAppBar(int32_t positionCode);

    // The system's and the shell's news.
    // Monitors came, went or changed: a docked bar takes its edge anew (its
    // auto-hide slot given back first, so it keeps it), a floating window
    // comes back onto a monitor that is still there.
    void OnDisplayChanged();
    // The shell restarted and forgot its appbars: register again.
    void OnShellRestarted();
    // A full-screen program opened (true) or closed on the bar's screen.
    void OnFullScreenApp(bool opened);
    // Another appbar or the taskbar moved or changed its state: the bar
    // takes its place again when the shell would now give it another one.
    void OnAppBarPosChanged();
    // What the shell asks of every appbar's window.
    void OnDockActivated();
    void OnDockWindowPosChanged();
    // The docked window is now at this DPI: the same edge, the new thickness.
    void OnDockDpiChanged(int32_t dpi);

    // Where the auto-hidden bar waits: beyond its edge with its last rows on
    // the screen, or, where a neighbouring monitor lies beyond that edge,
    // its strip alone inside its own monitor.
    RectPx HiddenPlace() const;
    // Where the revealed bar is: its full thickness inside its edge.
    RectPx ShownPlace() const;
    static bool IsColumn(int32_t positionCode) { return positionCode == kBarLeft || positionCode == kBarRight; }
    static bool IsEdge(int32_t positionCode) { return positionCode >= kBarTop && positionCode <= kBarRight; }
    // The shell's edge (ABE_*) of a docked position code.
    static uint32_t EdgeOf(int32_t positionCode);

    // Thickness of a docked bar in pixels for an icon size; other sizes
    // keep the given value.
    static int32_t Thickness(int32_t iconSize, const TwipsPerPixel& scale, int32_t previous);
    // The pictures' size changed: a docked bar takes the thickness of the
    // new size (the floating window keeps its rows itself).
    void IconSizeChanged();

    // Height of the floating window in twips for an icon size, with one row
    // of buttons.
    static int32_t FloatingHeightTwips(int32_t iconSize) { return iconSize == 1 ? 1100 : 1350; }
    // The floating window's height in pixels at a DPI with room for whole
    // rows, and the rows (at least one) the nearest such height holds.
    static int32_t FloatingHeightPx(int32_t iconSize, int32_t dpi, int32_t rows);
    static int32_t FloatingRows(int32_t iconSize, int32_t dpi, int32_t heightPx);
    // The floating window's rectangle for the stored place, width and
    // height: left and top in the system's twips, width and height (whole
    // rows) at the DPI of the monitor the place is on, the whole inside that
    // monitor's work area.
    static RectPx StoredFloatingRect(const AppState& state, const std::vector<MonitorInfo>& monitors);

    static constexpr int32_t kEdgeTwips = 400;
    static constexpr int32_t kAutoHideStripPx = 4;

private:
    // Records the new code, the one before it and whether docking changed.
    void SetPosition(int32_t code);
    // The code the y rule asks for, floating when neither edge does.
    int32_t CodeForY(int32_t y) const;
    // A band along the docked bar's edge and extent, reaching `inside`
    // pixels into its monitor and `outside` beyond the edge.
    RectPx BandOnEdge(int32_t inside, int32_t outside) const;
    void ArrangeFloating();
    void ArrangeDocked(bool force);
    // Registers as the edge's auto-hide bar: 1 done, 0 refused, -1 taken
    // by another bar.
    int RegisterAutoHide(uint32_t edge);
    void RecordAutoHideBar();
    // Whether another monitor lies where the hidden bar would, beyond its
    // edge.
    bool NeighbourBeyondEdge() const;
    // Asks the shell for the edge's strip and moves the window there; with
    // onlyIfMoved, nothing happens when the shell gives the strip set last.
    void PlaceOnEdge(bool autoHide, bool onlyIfMoved);
    // The floating window inside the work area of its monitor.
    void KeepFloatingOnScreen();
    void RememberFloatingPlace();
    std::vector<MonitorInfo> Monitors();

    AppState& s_;
    IFloatingBar& floating_;
    IDockedBar& docked_;
    IAppBarShell& shell_;
    IMonitors& monitors_;
    IEdgeTakenMessage& edgeTaken_;
    IEventLoop& events_;
    IMousePointer& pointer_;
    const ErrorReporter& errors_;
    int32_t shown_ = kBarFloating;  // the position the screen shows now
    bool registered_ = false;       // ABM_NEW sent and not removed since
    bool autoHideHeld_ = false;     // this bar is its edge's auto-hide bar
    bool hideInside_ = false;       // hidden within its monitor (see HiddenPlace)
    std::optional<RectPx> lastSet_;  // the strip ABM_SETPOS answered last
    std::optional<PointPx> drop_;    // where a dragged docked bar was dropped
};

}  // namespace lark
