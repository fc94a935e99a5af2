#pragma once
// Where the bar is: floating, or docked as an appbar at the top or bottom
// screen edge, fixed or auto-hiding. The rules that choose the position code
// and arrange the two bar windows for it.
#include <cstdint>

#include "base/AppBarShell.h"
#include "base/AppState.h"
#include "base/BarForms.h"
#include "base/ErrorReporter.h"
#include "base/UiPorts.h"

namespace lark {

class BarArrangement : public IBarArrangement {
public:
    BarArrangement(AppState& state, IFloatingBar& floating, IDockedBar& docked, IAppBarShell& shell,
                   IEdgeTakenMessage& edgeTaken, IEventLoop& events, IMousePointer& pointer,
                   const ErrorReporter& errors)
        : s_(state),
          floating_(floating),
          docked_(docked),
          shell_(shell),
          edgeTaken_(edgeTaken),
          events_(events),
          pointer_(pointer),
          errors_(errors) {}

    // y in twips from the top of the screen: near the top docks at the
    // top, near enough the bottom (with the floating window's height) at
    // the bottom, anything else floats.
    void ChooseBarPosition(int32_t y);
    // Shows the bar in the position BarPosition holds. Force renews the
    // appbar registration although the edge did not change.
    void ArrangeBar(bool force) override;
    // Puts the bar into the configured BarPosition (start-up, Options),
    // coming from the position the screen shows, so that leaving an edge
    // gives it back.
    void ShowConfiguredBar() override;
    // tmrFloat: re-decides the position once the floating window has moved.
    void FloatTimerTick();
    void UnregisterAppBar(int32_t positionCode);

    // The shell's news, as a docked bar answers it.
    // The screen's size changed: measure again and take the edge anew.
    void OnDisplayChanged(int32_t widthPx, int32_t heightPx);
    // The shell restarted and forgot its appbars: register again.
    void OnShellRestarted();
    // A full-screen program opened (true) or closed on the bar's screen.
    void OnFullScreenApp(bool opened);

    // Thickness of a docked bar in pixels for an icon size; other sizes
    // keep the given value.
    static int32_t Thickness(int32_t iconSize, int32_t twipsPerPixelY, int32_t previous);

    static constexpr int32_t kEdgeTwips = 400;
    static constexpr int32_t kAutoHideStripPx = 4;

private:
    void ArrangeFloating();
    void ArrangeDocked(bool force);
    // Returns true when the auto-hide registration was refused because the
    // edge has an auto-hide bar already.
    bool PlaceTop();
    bool PlaceBottom();
    // Registers as the edge's auto-hide bar: 1 done, 0 refused, -1 taken.
    int RegisterAutoHide();
    void RecordAutoHideBar();

    AppState& s_;
    IFloatingBar& floating_;
    IDockedBar& docked_;
    IAppBarShell& shell_;
    IEdgeTakenMessage& edgeTaken_;
    IEventLoop& events_;
    IMousePointer& pointer_;
    const ErrorReporter& errors_;
    int32_t shown_ = kBarFloating;  // the position the screen shows now
};

}  // namespace lark
