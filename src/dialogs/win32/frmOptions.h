#pragma once
// The Options dialog: where the bar lives, fixed or auto-hide, the icon
// size, its colours, and Auto Load from the shell's special folders.
#include <windows.h>

#include <functional>
#include <string>

#include "base/AppState.h"
#include "dialogs/OptionsState.h"

namespace lark::win {

class frmOptions {
public:
    // What the dialog's buttons set in motion once it has closed.
    struct Actions {
        std::function<void()> showConfiguredBar;
        std::function<void(int32_t)> runCommand;
        std::function<void(int32_t)> importFolder;
        std::function<void()> reloadCatalogue;
        std::function<void(bool)> busy;
        // The pictures' size was chosen: the bar shows it at once.
        std::function<void()> iconSizeChanged;
        // The colours setting may have changed: the bar takes it now.
        std::function<void()> useColours;
    };

    // Modal: returns when the dialog has closed and its choice has run.
    void ShowModal(AppState& state, const Actions& actions, IAtHandServices& atHand);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowPage(int32_t page);
    void Refresh();
    // The hotkey control and its Win box, to and from a key chord.
    void ShowHotkey(const KeyChord& chord);
    KeyChord ReadHotkey() const;
    void Close(int autoLoad, bool ok);
    // Apply; a new icon size is shown at once.
    void Apply();

    HWND dialog_ = nullptr;
    HWND opener_ = nullptr;  // the window in front when the dialog was asked for
    AppState* state_ = nullptr;
    const Actions* actions_ = nullptr;
    IAtHandServices* atHand_ = nullptr;
    OptionsState options_;
    bool done_ = false;
    bool ok_ = false;
    int autoLoad_ = -1;
    std::wstring tips_[2];  // the tab strip's tooltips, alive while it may ask
};

}  // namespace lark::win
