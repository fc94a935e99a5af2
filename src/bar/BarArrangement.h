#pragma once
// Where the bar is: floating, or docked as an appbar at the top or bottom
// screen edge, fixed or auto-hiding. The rules that choose the position code
// and arrange the two bar windows for it.
#include <cstdint>

#include "app/AppState.h"
#include "app/ErrorReporter.h"
#include "app/UiPorts.h"
#include "bar/AppBarShell.h"

namespace lark {

// f_Float as the position rules use it. Twips are screen twips.
class IFloatingBar {
public:
    virtual ~IFloatingBar() = default;
    virtual int32_t TopTwips() const = 0;
    virtual int32_t LeftTwips() const = 0;
    virtual int32_t HeightTwips() const = 0;
    virtual void MoveTo(int32_t leftTwips, int32_t topTwips) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual WindowPlacement Placement() const = 0;
    virtual void EnableMoveTimer(bool enabled) = 0;  // tmrFloat
};

// f_Dock as the position rules use it.
class IDockedBar {
public:
    virtual ~IDockedBar() = default;
    virtual int32_t TopTwips() const = 0;
    virtual int32_t LeftTwips() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    enum class Flags { NoActivate, ShowWindow };
    // Pixels, above its siblings.
    virtual void Place(int32_t x, int32_t y, int32_t width, int32_t height, Flags flags) = 0;
    virtual void MakeTopmost() = 0;
    // Behind other windows but not below the desktop, while a full-screen
    // program covers the screen.
    virtual void DropTopmost() = 0;
    virtual void EnableHideTimer(bool enabled) = 0;  // tmrHide
    virtual int32_t WidthTwips() const = 0;
    virtual int32_t HeightTwips() const = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
};

// The mouse cursor's screen position in pixels.
class ICursor {
public:
    virtual ~ICursor() = default;
    virtual PointPx Position() = 0;
};

// The message that an edge holds one auto-hide bar at most.
class IEdgeTakenMessage {
public:
    virtual ~IEdgeTakenMessage() = default;
    virtual void Show() = 0;
};

class BarArrangement {
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
    void ArrangeBar(bool force);
    // Puts the bar into the configured BarPosition (start-up, Options),
    // coming from the position the screen shows, so that leaving an edge
    // gives it back.
    void ShowConfiguredBar();
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
