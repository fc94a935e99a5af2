#pragma once
// Keeping the bar at hand: the global hotkey and its round trip of the
// keyboard, and "Start with Windows", for the bar windows and the Options
// dialog.
#include <functional>

#include "bar/BarFocus.h"
#include "bar/DockedInput.h"
#include "bar/win32/f_Dock.h"
#include "bar/win32/f_Float.h"
#include "base/win32/RunKeyService.h"
#include "base/win32/SendToService.h"
#include "dialogs/OptionsState.h"

namespace lark::win {

class AtHand : public IAtHandServices, private IFocusWindows {
public:
    // The bar windows as they are, null before they exist: nothing here
    // may create one (the keyboard leaves the bar while it is unloaded).
    // The docked input is made on first use, once the docked bar is shown.
    struct Parts {
        std::function<f_Float*()> floating;
        std::function<f_Dock*()> docked;
        std::function<DockedInput&()> dockedInput;
    };
    AtHand(App& app, Parts parts) : app_(app), parts_(std::move(parts)), focus_(*this) {}

    // The keyboard's trip to the bar and back.
    BarFocus& Focus() { return focus_; }

    // IAtHandServices
    bool StartsWithWindows() override;
    void SetStartWithWindows(bool on) override;
    bool ShowsInSendTo() override;
    void SetShowInSendTo(bool on) override;
    // The hotkey belongs to the floating window, which lives as long as
    // the program; a chord another program holds leaves the bar without.
    bool UseHotkey(const KeyChord& chord) override;
    bool HotkeyTaken() override { return taken_; }

    static constexpr int kHotkeyId = 1;

private:
    // IFocusWindows
    uintptr_t Foreground() override;
    bool IsBar(uintptr_t window) override;
    bool Exists(uintptr_t window) override;
    void Activate(uintptr_t window) override;
    void BringBarForward() override;
    void ReleaseBar() override;

    App& app_;
    Parts parts_;
    BarFocus focus_;
    RunKeyService run_;
    SendToService sendTo_;
    bool registered_ = false;
    bool taken_ = false;
    DockedInput* held_ = nullptr;  // keeping an auto-hidden bar shown
};

}  // namespace lark::win
