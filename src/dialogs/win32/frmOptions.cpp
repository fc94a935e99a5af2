#include "dialogs/win32/frmOptions.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "base/Language.h"
#include "base/Texts.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/Modal.h"
#include "base/win32/ResourceTexts.h"
#include "base/win32/Text.h"
#include "dialogs/win32/OptionsIds.h"

namespace lark::win {
namespace {

const int kPage0[] = {IDC_FRAME1,    IDC_OPTION1_3, IDC_OPTION1_2, IDC_OPTION1_4, IDC_OPTION1_8, IDC_OPTION1_9, IDC_FRASAMPLE1, IDC_OPTION1_0,
                      IDC_OPTION1_1, IDC_FRAME2,    IDC_OPTION1_6, IDC_OPTION1_7,
                      IDC_FRAME3, IDC_CHKSTARTWITHWINDOWS, IDC_CHKSENDTO, IDC_LBLHOTKEY, IDC_HOTKEY, IDC_CHKHOTKEYWIN,
                      IDC_LBLHOTKEYSTATUS, IDC_FRAME4, IDC_COLOURS_SYSTEM, IDC_COLOURS_LIGHT, IDC_COLOURS_DARK,
                      IDC_FRAME5, IDC_LBLLANGUAGE, IDC_LANGUAGE, IDC_LBLLANGUAGENOTE};
const int kPage1[] = {IDC_FRASAMPLE2, IDC_CMDLOAD_0, IDC_CMDLOAD_1, IDC_CMDLOAD_2, IDC_CMDLOAD_3, IDC_CMDLOAD_4};
const int kOptions[] = {kOptAutoHide, kOptFixed, kOptTop, kOptFloat, kOptBottom, kOptLarge, kOptSmall, kOptLeft, kOptRight};
// The "Colours" buttons by the setting each stands for.
const std::pair<int, ColourSetting> kColourButtons[] = {{IDC_COLOURS_SYSTEM, ColourSetting::System},
                                                        {IDC_COLOURS_LIGHT, ColourSetting::Light},
                                                        {IDC_COLOURS_DARK, ColourSetting::Dark}};

int OptionId(int option) { return IDC_OPTION1_0 + option; }

// The hotkey control knows Shift, Ctrl and Alt by flags of its own; the
// Windows key has a box beside it.
struct ModifierFlag {
    uint32_t modifier;
    BYTE flag;
};
const ModifierFlag kModifierFlags[] = {
    {kModShift, HOTKEYF_SHIFT}, {kModCtrl, HOTKEYF_CONTROL}, {kModAlt, HOTKEYF_ALT}};

// Keys the control shows by their name only with the extended flag, not
// as their number-pad twins.
bool IsExtendedKey(uint32_t key) {
    return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE || key == VK_DIVIDE ||
           key == VK_NUMLOCK;
}

}  // namespace

void frmOptions::ShowModal(AppState& state, const Actions& actions, IAtHandServices& atHand) {
    state_ = &state;
    actions_ = &actions;
    atHand_ = &atHand;
    done_ = false;
    ok_ = false;
    autoLoad_ = -1;
    opener_ = DialogOwner();
    dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), DialogTemplate(IDD_OPTIONS), opener_,
                                         &frmOptions::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!dialog_) return;
    {
        ModalScope modal(dialog_);
        ShowWindow(dialog_, SW_SHOW);
        SetForegroundWindow(dialog_);
        modal.Run([this] { return done_; }, [this](const MSG& msg) {
            // The dialog sees Ctrl+Tab before its controls do.
            if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000) ||
                (GetKeyState(VK_SHIFT) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000) ||
                (msg.hwnd != dialog_ && !IsChild(dialog_, msg.hwnd)))
                return false;
            HWND tabs = GetDlgItem(dialog_, IDC_TBSOPTIONS);
            const auto current = static_cast<int32_t>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)) + 1;
            const int32_t next = OptionsState::NextTab(current, 2);
            SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(next - 1), 0);
            ShowPage(next - 1);
            return true;
        });
    }
    DestroyWindow(dialog_);
    dialog_ = nullptr;

    if (autoLoad_ >= 0) actions.busy(true);
    if (ok_) {
        const int32_t iconSize = state.IconSize;
        const OptionsState::OkResult result = options_.Ok(state);
        if (state.IconSize != iconSize && actions.iconSizeChanged) actions.iconSizeChanged();
        if (result.showConfiguredBar) actions.showConfiguredBar();
        if (result.command) actions.runCommand(*result.command);
    }
    if (autoLoad_ >= 0) {
        for (int32_t folder : OptionsState::AutoLoadFolders(autoLoad_)) actions.importFolder(folder);
        actions.reloadCatalogue();
        actions.busy(false);
    }
}

INT_PTR CALLBACK frmOptions::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<frmOptions*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<frmOptions*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    return Barrier([&] { return self->OnMessage(message, wParam, lParam); }, [] { return INT_PTR{FALSE}; });
}

INT_PTR frmOptions::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            FollowColours(dialog_);
            // Centred on the monitor of the bar it was opened from.
            RECT r{};
            GetWindowRect(dialog_, &r);
            POINT cursor{};
            GetCursorPos(&cursor);
            const MonitorInfo monitor = opener_ ? MonitorOfWindow(opener_) : MonitorAtPoint(cursor);
            const POINT at = CentreOn(monitor, r.right - r.left, r.bottom - r.top);
            SetWindowPos(dialog_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            HWND tabs = GetDlgItem(dialog_, IDC_TBSOPTIONS);
            tips_[0] = Widen(Text(IDS_OPTIONS_TIP_GENERAL));
            tips_[1] = Widen(Text(IDS_OPTIONS_TIP_SECTIONS));
            const std::wstring captions[] = {Widen(Text(IDS_OPTIONS_GENERAL)), Widen(Text(IDS_OPTIONS_SECTIONS))};
            for (int i = 0; i < 2; ++i) {
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = const_cast<wchar_t*>(captions[i].c_str());
                SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            }
            // The strip lies beneath the pages' controls.
            SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            options_.Load(*state_, *atHand_);
            // Windows' language, then each language by its own name.
            HWND languages = GetDlgItem(dialog_, IDC_LANGUAGE);
            SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(Text(IDS_LANGUAGE_WINDOWS)).c_str()));
            for (const Language& language : Languages())
                SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(language.ownName).c_str()));
            ShowHotkey(options_.Hotkey());
            Refresh();
            ShowPage(0);
            return TRUE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) == BN_CLICKED && id >= IDC_OPTION1_0 && id <= IDC_OPTION1_9) {
                options_.Click(id - IDC_OPTION1_0);
                Refresh();
                return TRUE;
            }
            for (const auto& [button, setting] : kColourButtons) {
                if (id != button || HIWORD(wParam) != BN_CLICKED) continue;
                options_.ChooseColours(setting);
                Refresh();
                return TRUE;
            }
            if (id == IDC_CHKSTARTWITHWINDOWS && HIWORD(wParam) == BN_CLICKED) {
                options_.TickStartWithWindows(IsDlgButtonChecked(dialog_, id) == BST_CHECKED);
                Refresh();
                return TRUE;
            }
            if (id == IDC_CHKSENDTO && HIWORD(wParam) == BN_CLICKED) {
                options_.TickSendTo(IsDlgButtonChecked(dialog_, id) == BST_CHECKED);
                Refresh();
                return TRUE;
            }
            if ((id == IDC_HOTKEY && HIWORD(wParam) == EN_CHANGE) ||
                (id == IDC_CHKHOTKEYWIN && HIWORD(wParam) == BN_CLICKED)) {
                options_.ChooseHotkey(ReadHotkey());
                Refresh();
                return TRUE;
            }
            if (id == IDC_LANGUAGE && HIWORD(wParam) == CBN_SELCHANGE) {
                options_.ChooseLanguage(static_cast<int>(SendMessageW(GetDlgItem(dialog_, id), CB_GETCURSEL, 0, 0)));
                Refresh();
                return TRUE;
            }
            if (id == IDC_CMDAPPLY) {
                Apply();
                Refresh();
                return TRUE;
            }
            if (id >= IDC_CMDLOAD_0 && id <= IDC_CMDLOAD_4) {
                Close(id - IDC_CMDLOAD_0, true);
                return TRUE;
            }
            if (id == IDOK) {
                // A new hotkey that cannot be had keeps the dialog open
                // once, saying why, for another choice.
                const bool applying = options_.ApplyEnabled();
                Apply();
                if (applying && options_.HotkeyRefused()) {
                    Refresh();
                    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog_, IDC_HOTKEY)),
                                 TRUE);
                    return TRUE;
                }
                Close(-1, true);
                return TRUE;
            }
            if (id == IDCANCEL) {
                Close(-1, false);
                return TRUE;
            }
            break;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            HWND tabs = GetDlgItem(dialog_, IDC_TBSOPTIONS);
            if (header->hwndFrom == tabs && header->code == TCN_SELCHANGE) {
                ShowPage(static_cast<int32_t>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
                return TRUE;
            }
            if (header->code == TTN_GETDISPINFOW &&
                header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(tabs, TCM_GETTOOLTIPS, 0, 0)) &&
                header->idFrom < 2) {
                reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<wchar_t*>(tips_[header->idFrom].c_str());
                return TRUE;
            }
            break;
        }
        case WM_CLOSE:
            Close(-1, false);
            return TRUE;
        default:
            break;
    }
    return FALSE;
}

void frmOptions::ShowPage(int32_t page) {
    for (int id : kPage0) {
        ShowWindow(GetDlgItem(dialog_, id), page == 0 ? SW_SHOW : SW_HIDE);
        EnableWindow(GetDlgItem(dialog_, id), page == 0);
    }
    for (int id : kPage1) {
        ShowWindow(GetDlgItem(dialog_, id), page == 1 ? SW_SHOW : SW_HIDE);
        EnableWindow(GetDlgItem(dialog_, id), page == 1);
    }
    // The hidden page's frames leave their outline behind otherwise.
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void frmOptions::Refresh() {
    for (int option : kOptions)
        CheckDlgButton(dialog_, OptionId(option), options_.Selected(option) ? BST_CHECKED : BST_UNCHECKED);
    for (const auto& [button, setting] : kColourButtons)
        CheckDlgButton(dialog_, button, options_.Colours() == setting ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, IDC_CHKSTARTWITHWINDOWS, options_.StartWithWindows() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, IDC_CHKSENDTO, options_.SendTo() ? BST_CHECKED : BST_UNCHECKED);
    SendMessageW(GetDlgItem(dialog_, IDC_LANGUAGE), CB_SETCURSEL, static_cast<WPARAM>(options_.LanguageChoice()), 0);
    SetDlgItemTextW(dialog_, IDC_LBLHOTKEYSTATUS, Widen(options_.HotkeyStatus()).c_str());
    HWND apply = GetDlgItem(dialog_, IDC_CMDAPPLY);
    // A disabled button that keeps the focus leaves the dialog deaf to Esc
    // and Tab: hand the focus on first.
    if (!options_.ApplyEnabled() && GetFocus() == apply) SendMessageW(dialog_, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(apply, options_.ApplyEnabled());
}

void frmOptions::ShowHotkey(const KeyChord& chord) {
    BYTE flags = 0;
    for (const ModifierFlag& m : kModifierFlags)
        if (chord.modifiers & m.modifier) flags |= m.flag;
    if (IsExtendedKey(chord.key)) flags |= HOTKEYF_EXT;
    SendMessageW(GetDlgItem(dialog_, IDC_HOTKEY), HKM_SETHOTKEY, MAKEWORD(chord.key & 0xFF, flags), 0);
    CheckDlgButton(dialog_, IDC_CHKHOTKEYWIN, chord.modifiers & kModWin ? BST_CHECKED : BST_UNCHECKED);
}

KeyChord frmOptions::ReadHotkey() const {
    const auto value = static_cast<WORD>(SendMessageW(GetDlgItem(dialog_, IDC_HOTKEY), HKM_GETHOTKEY, 0, 0));
    KeyChord chord;
    chord.key = LOBYTE(value);
    for (const ModifierFlag& m : kModifierFlags)
        if (HIBYTE(value) & m.flag) chord.modifiers |= m.modifier;
    if (IsDlgButtonChecked(dialog_, IDC_CHKHOTKEYWIN) == BST_CHECKED) chord.modifiers |= kModWin;
    return chord;
}

void frmOptions::Apply() {
    const int32_t iconSize = state_->IconSize;
    options_.Apply(*state_);
    if (state_->IconSize != iconSize && actions_ && actions_->iconSizeChanged) actions_->iconSizeChanged();
    // The colours setting may have changed too.
    if (actions_ && actions_->useColours) actions_->useColours();
}

void frmOptions::Close(int autoLoad, bool ok) {
    autoLoad_ = autoLoad;
    ok_ = ok;
    done_ = true;
}

}  // namespace lark::win
