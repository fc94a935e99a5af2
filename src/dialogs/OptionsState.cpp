#include "dialogs/OptionsState.h"

#include "base/Language.h"
#include "base/Texts.h"

namespace lark {

void OptionsState::Load(const AppState& state, IAtHandServices& atHand) {
    atHand_ = &atHand;
    startWithWindows_ = atHand.StartsWithWindows();
    sendTo_ = atHand.ShowsInSendTo();
    hotkey_ = state.Hotkey;
    hotkeyStatus_ = atHand.HotkeyTaken() ? Text(IDS_HOTKEY_TAKEN) : "";
    hotkeyRefused_ = false;
    visibility_ = state.AutoHideOn ? kOptAutoHide : kOptFixed;
    switch (state.BarPosition) {
        case kBarTop: docking_ = kOptTop; break;
        case kBarBottom: docking_ = kOptBottom; break;
        case kBarLeft: docking_ = kOptLeft; break;
        case kBarRight: docking_ = kOptRight; break;
        default: docking_ = kOptFloat; break;
    }
    dimension_ = state.IconSize == 1 ? kOptSmall : kOptLarge;
    colours_ = state.Theme;
    language_ = 0;
    languageChanged_ = false;
    if (const Language* chosen = LanguageOfSetting(state.Language))
        language_ = static_cast<int>(chosen - Languages().data()) + 1;
    loadedPosition_ = state.BarPosition;
    autoHideChoice_ = state.AutoHideOn;
    positionChanged_ = false;
    autoHideChanged_ = false;
    applyEnabled_ = false;
}

void OptionsState::Click(int option) {
    switch (option) {
        case kOptAutoHide:
        case kOptFixed: visibility_ = option; break;
        case kOptTop:
        case kOptFloat:
        case kOptBottom:
        case kOptLeft:
        case kOptRight: docking_ = option; break;
        case kOptLarge:
        case kOptSmall: dimension_ = option; break;
        default: return;
    }
    applyEnabled_ = true;
}

void OptionsState::TickStartWithWindows(bool on) {
    startWithWindows_ = on;
    applyEnabled_ = true;
}

void OptionsState::TickSendTo(bool on) {
    sendTo_ = on;
    applyEnabled_ = true;
}

void OptionsState::ChooseHotkey(const KeyChord& chord) {
    hotkey_ = chord;
    hotkeyStatus_ = KeyChordProblem(chord);
    applyEnabled_ = true;
}

void OptionsState::ChooseLanguage(int choice) {
    if (choice < 0 || choice > static_cast<int>(Languages().size()) || choice == language_) return;
    language_ = choice;
    languageChanged_ = true;
    applyEnabled_ = true;
}

void OptionsState::ChooseColours(ColourSetting setting) {
    colours_ = setting;
    applyEnabled_ = true;
}

bool OptionsState::Selected(int option) const {
    return option == docking_ || option == visibility_ || option == dimension_;
}

void OptionsState::Apply(AppState& state) {
    if (!applyEnabled_) return;
    applyEnabled_ = false;
    int32_t position = kBarFloating;
    switch (docking_) {
        case kOptTop: position = kBarTop; break;
        case kOptBottom: position = kBarBottom; break;
        case kOptLeft: position = kBarLeft; break;
        case kOptRight: position = kBarRight; break;
        default: break;
    }
    positionChanged_ = false;
    if (position != loadedPosition_) {
        state.BarPosition = position;
        positionChanged_ = true;
    }
    autoHideChanged_ = false;
    if (visibility_ == kOptAutoHide && !autoHideChoice_) {
        autoHideChanged_ = true;
        autoHideChoice_ = true;
    } else if (visibility_ == kOptFixed && autoHideChoice_) {
        autoHideChanged_ = true;
        autoHideChoice_ = false;
    }
    state.IconSize = dimension_ == kOptLarge ? 0 : 1;
    state.Theme = colours_;
    // Untouched, a setting written by hand ("de-AT") stays as it is.
    if (languageChanged_) state.Language = language_ == 0 ? "" : Languages()[language_ - 1].locale;
    languageChanged_ = false;

    if (!atHand_) return;
    if (startWithWindows_ != atHand_->StartsWithWindows()) atHand_->SetStartWithWindows(startWithWindows_);
    // The box shows what the registry holds, whatever became of the wish.
    startWithWindows_ = atHand_->StartsWithWindows();
    if (sendTo_ != atHand_->ShowsInSendTo()) atHand_->SetShowInSendTo(sendTo_);
    sendTo_ = atHand_->ShowsInSendTo();

    hotkeyRefused_ = false;
    const bool changed = hotkey_ != state.Hotkey;
    if (!changed && !atHand_->HotkeyTaken()) return;
    hotkeyStatus_ = KeyChordProblem(hotkey_);
    if (!hotkeyStatus_.empty()) {
        hotkeyRefused_ = changed;
        return;
    }
    // A taken chord is tried again: its holder may have gone meanwhile.
    state.Hotkey = hotkey_;
    const bool registered = atHand_->UseHotkey(hotkey_);
    hotkeyStatus_ = registered ? "" : Text(IDS_HOTKEY_TAKEN);
    hotkeyRefused_ = changed && !registered;
}

OptionsState::OkResult OptionsState::Ok(AppState& state) {
    Apply(state);
    OkResult result;
    result.showConfiguredBar = positionChanged_;
    if (autoHideChanged_) result.command = autoHideChoice_ ? 1 : 2;
    return result;
}

int32_t OptionsState::NextTab(int32_t current, int32_t count) {
    if (count <= 0) return 0;
    return current >= count ? 1 : current + 1;
}

std::vector<int32_t> OptionsState::AutoLoadFolders(int button) {
    switch (button) {
        case 0: return {23, 2};   // start menu programs: all users', then the user's
        case 1: return {24};      // start-up programs
        case 2: return {6};       // favourites
        case 3: return {18};      // network
        case 4: return {16, 25};  // desktop: the user's, then all users'
        default: return {};
    }
}

}  // namespace lark
