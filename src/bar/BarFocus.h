#pragma once
// The global hotkey's round trip: from whatever window has the keyboard to
// the bar, and back to that window when the hotkey comes again or the user
// leaves with Escape.
#include <cstdint>

namespace lark {

// The windows involved, as opaque handles (0 for none).
class IFocusWindows {
public:
    virtual ~IFocusWindows() = default;
    virtual uintptr_t Foreground() = 0;
    // One of the bar's windows.
    virtual bool IsBar(uintptr_t window) = 0;
    virtual bool Exists(uintptr_t window) = 0;
    // Hands the keyboard to a window of another program.
    virtual void Activate(uintptr_t window) = 0;
    // The bar comes forward with the keyboard on its section: restored when
    // minimised, an auto-hidden bar revealed and kept shown.
    virtual void BringBarForward() = 0;
    // The bar lets go: its typed text cleared, an auto-hidden bar free to
    // hide again.
    virtual void ReleaseBar() = 0;
};

class BarFocus {
public:
    explicit BarFocus(IFocusWindows& windows) : windows_(windows) {}

    // The hotkey: to the bar, or back when the bar has the keyboard.
    void HotkeyPressed();
    // Escape with no typed text: back to the window the hotkey came from.
    void Leave();
    // Asked from outside (a start with /show): to the bar, whoever has the
    // keyboard, and back from there as from the hotkey's trip.
    void Summon();
    // The keyboard went elsewhere (a click on another window, a launched
    // program coming up): nothing to hand back any more.
    void Deactivated();

    uintptr_t Previous() const { return previous_; }

private:
    void HandBack();

    IFocusWindows& windows_;
    uintptr_t previous_ = 0;
};

}  // namespace lark
