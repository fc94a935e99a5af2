#include "app/win32/AtHand.h"

#include "base/Texts.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "startup/StartWithWindows.h"

namespace lark::win {
namespace {

HWND ToHwnd(uintptr_t window) { return reinterpret_cast<HWND>(window); }

// The enabled window of this thread a modal dialog or box has left.
HWND ModalWindow(HWND disabled) {
    struct Walk {
        HWND disabled;
        HWND found;
    } walk{disabled, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(lParam);
            if (hwnd == w->disabled || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
            w->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

}  // namespace

bool AtHand::StartsWithWindows() { return lark::StartsWithWindows(run_, Narrow(RunningProgramPath())); }

void AtHand::SetStartWithWindows(bool on) {
    try {
        lark::SetStartWithWindows(run_, Narrow(RunningProgramPath()), on);
    } catch (...) {
        app_.errors.ShowError(Text(IDS_ERR_START_WITH_WINDOWS), CurrentError());
    }
}

bool AtHand::ShowsInSendTo() { return lark::ShowsInSendTo(sendTo_, Narrow(RunningProgramPath())); }

void AtHand::SetShowInSendTo(bool on) {
    try {
        lark::SetShowInSendTo(sendTo_, Narrow(RunningProgramPath()), on);
    } catch (...) {
        app_.errors.ShowError(Text(IDS_ERR_SEND_TO), CurrentError());
    }
}

bool AtHand::UseHotkey(const KeyChord& chord) {
    f_Float* floating = parts_.floating();
    if (!floating || !floating->Loaded()) return false;
    HWND window = floating->Handle();
    if (registered_) UnregisterHotKey(window, kHotkeyId);
    registered_ = false;
    taken_ = false;
    if (chord.None()) return true;
    // One press, one trip: a held chord does not repeat.
    if (RegisterHotKey(window, kHotkeyId, chord.modifiers | MOD_NOREPEAT, chord.key)) {
        registered_ = true;
        return true;
    }
    taken_ = true;  // ERROR_HOTKEY_ALREADY_REGISTERED: another program holds it
    return false;
}

uintptr_t AtHand::Foreground() { return reinterpret_cast<uintptr_t>(GetForegroundWindow()); }

bool AtHand::IsBar(uintptr_t window) {
    // Any window of this program: the bar, its menu, its dialogs.
    DWORD process = 0;
    GetWindowThreadProcessId(ToHwnd(window), &process);
    return process == GetCurrentProcessId();
}

bool AtHand::Exists(uintptr_t window) { return IsWindow(ToHwnd(window)) != FALSE; }

void AtHand::Activate(uintptr_t window) { SetForegroundWindow(ToHwnd(window)); }

void AtHand::BringBarForward() {
    const bool docked = app_.state.BarPosition != kBarFloating;
    BarForm* shown = docked ? static_cast<BarForm*>(parts_.docked()) : parts_.floating();
    if (!shown || !shown->Loaded()) return;
    BarForm& form = *shown;
    HWND bar = form.Handle();
    if (!IsWindowEnabled(bar)) {
        // A dialog of the bar is open: that is what the keyboard wants.
        if (HWND modal = ModalWindow(bar)) SetForegroundWindow(modal);
        return;
    }
    if (docked) {
        // Held before it shows, so the hide timer cannot take it away.
        held_ = &parts_.dockedInput();
        held_->HoldShown(true);
        SetForegroundWindow(bar);
        form.FocusSection();
        held_->Reveal();
    } else {
        if (IsIconic(bar)) ShowWindow(bar, SW_RESTORE);
        SetForegroundWindow(bar);
        form.FocusSection();
    }
}

void AtHand::ReleaseBar() {
    for (BarForm* form : {static_cast<BarForm*>(parts_.floating()), static_cast<BarForm*>(parts_.docked())})
        if (form && form->Loaded()) form->ClearFind();
    if (held_) held_->HoldShown(false);
    held_ = nullptr;
}

}  // namespace lark::win
