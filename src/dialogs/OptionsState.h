#pragma once
// The Options dialog's state: what it shows, what Apply stores in memory,
// and what OK then carries out. The bar moves only at OK; the icon size
// shows as soon as it is stored.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/KeyChord.h"

namespace lark {

// Start with Windows, the Send To menu and the global hotkey: what the
// General page shows of them and what Apply carries out at once (not at
// shutdown, unlike the settings).
class IAtHandServices {
public:
    virtual ~IAtHandServices() = default;
    // The logon Run value is there and starts this program.
    virtual bool StartsWithWindows() = 0;
    // Adds or removes the Run value; reports a failure itself.
    virtual void SetStartWithWindows(bool on) = 0;
    // The Send To folder's shortcut is there and adds to this program.
    virtual bool ShowsInSendTo() = 0;
    // Writes or removes that shortcut; reports a failure itself.
    virtual void SetShowInSendTo(bool on) = 0;
    // Registers the chord in place of the one in use (none: no hotkey);
    // false when another program holds it and the bar has none.
    virtual bool UseHotkey(const KeyChord& chord) = 0;
    // The chord in use was refused because another program holds it.
    virtual bool HotkeyTaken() = 0;
};

// Option buttons by their index; 5 does not exist.
enum OptionIndex : int {
    kOptAutoHide = 0,
    kOptFixed = 1,
    kOptTop = 2,
    kOptFloat = 3,
    kOptBottom = 4,
    kOptLarge = 6,
    kOptSmall = 7,
    kOptLeft = 8,
    kOptRight = 9,
};

class OptionsState {
public:
    // Form load: the options from the settings, Apply disabled. The
    // services outlive the dialog.
    void Load(const AppState& state, IAtHandServices& atHand);
    // A click on an option button: selects it within its frame, enables Apply.
    void Click(int option);
    bool Selected(int option) const;
    bool ApplyEnabled() const { return applyEnabled_; }

    // The "Start with Windows" box and the hotkey control; both enable Apply.
    void TickStartWithWindows(bool on);
    bool StartWithWindows() const { return startWithWindows_; }
    // "Show in the Send To menu"; enables Apply.
    void TickSendTo(bool on);
    bool SendTo() const { return sendTo_; }
    void ChooseHotkey(const KeyChord& chord);
    // The "Colours" choice; Apply stores it, and the bar follows at once.
    void ChooseColours(ColourSetting setting);
    ColourSetting Colours() const { return colours_; }
    const KeyChord& Hotkey() const { return hotkey_; }
    // "Language": 0 is Windows' language, then Languages() in order.
    void ChooseLanguage(int choice);
    int LanguageChoice() const { return language_; }
    // What the dialog says under the hotkey: why a chord cannot serve, or
    // that another program holds it; empty when all is well.
    const std::string& HotkeyStatus() const { return hotkeyStatus_; }
    // The last Apply could not take the newly chosen chord: OK keeps the
    // dialog open once, so the user can choose another.
    bool HotkeyRefused() const { return hotkeyRefused_; }

    // Stores the choices in memory (only while Apply is enabled); writes or
    // removes the Run value and registers a new hotkey now.
    void Apply(AppState& state);

    struct OkResult {
        bool showConfiguredBar = false;
        std::optional<int32_t> command;  // 1 AutoHide or 2 Fixed
    };
    // Apply, then what the bar must do now that the dialog has closed.
    OkResult Ok(AppState& state);

    // Ctrl+Tab: the next tab, wrapping to the first (positions from 1).
    static int32_t NextTab(int32_t current, int32_t count);
    // The special folders an Auto Load button imports, in order.
    static std::vector<int32_t> AutoLoadFolders(int button);

private:
    int docking_ = kOptFloat;
    int visibility_ = kOptFixed;
    int dimension_ = kOptLarge;
    bool applyEnabled_ = false;
    int32_t loadedPosition_ = kBarFloating;
    bool autoHideChoice_ = false;
    bool positionChanged_ = false;
    bool autoHideChanged_ = false;
    IAtHandServices* atHand_ = nullptr;
    bool startWithWindows_ = false;
    bool sendTo_ = false;
    KeyChord hotkey_;
    std::string hotkeyStatus_;
    bool hotkeyRefused_ = false;
    ColourSetting colours_ = ColourSetting::System;
    int language_ = 0;
    bool languageChanged_ = false;
};

}  // namespace lark
