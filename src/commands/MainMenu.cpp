#include "commands/MainMenu.h"

#include "base/Conversions.h"
#include "base/Texts.h"
#include "commands/Arranging.h"

namespace lark {

int32_t MainMenu::CommandOf(const std::string& key) {
    static const struct {
        const char* key;
        int32_t command;
    } table[] = {{"AutoHide", kCmdAutoHide}, {"Fixed", kCmdFixed},     {"AddSection", kCmdAddSection},
                 {"DelSection", kCmdDelSection}, {"AddButton", kCmdAddButton}, {"DelButton", kCmdDelButton},
                 {"About", kCmdAbout},       {"Options", kCmdOptions}, {"Exit", kCmdExit},
                 {"Rename", kCmdRename}, {"Properties", kCmdProperties}, {"OpenLocation", kCmdOpenLocation},
                 {"RunAsAdmin", kCmdRunAsAdmin}, {"RenameSection", kCmdRenameSection}};
    for (const auto& entry : table)
        if (key == entry.key) return entry.command;
    return -1;
}

void MainMenu::BuildMainMenu() {
    auto menu = std::make_shared<PMenu>(presenter_);
    app_.state.MainPopup = menu;
    menu->ShowImages(true);
    menu->Colours().first = 0x804000;
    menu->Colours().second = 0xFFFFFF;
    menu->Colours().third = menu->Colours().first;
    menu->ClearItems();
    const bool autoHide = app_.state.AutoHideOn;
    // A separator has no text of its own: id 0.
    auto add = [&](int textId, const char* key, const char* image, bool checked) {
        const int32_t index = image ? images_.IndexOf(image) : -1;
        return menu->AddItem(textId ? Text(textId) : std::string("-"), "", 0, 0, index, checked, true, key);
    };
    menu->SetHeader(add(IDS_MENU_VISIBILITY, "", nullptr, false), true);
    add(IDS_MENU_AUTOHIDE, "AutoHide", nullptr, autoHide);
    add(IDS_MENU_FIXED, "Fixed", nullptr, !autoHide);
    menu->SetHeader(add(IDS_MENU_SECTIONS, "", nullptr, false), true);
    add(IDS_MENU_ADD_SECTION, "AddSection", "addsection", false);
    add(IDS_MENU_DELETE_SECTION, "DelSection", "delsection", false);
    add(0, "sep2", nullptr, false);
    add(IDS_MENU_ADD_PROGRAM, "AddButton", "addbutton", false);
    add(IDS_MENU_DELETE_PROGRAM, "DelButton", "delbutton", false);
    // Windows menus end with Exit: the group that arranges the bar by hand
    // comes before General.
    menu->SetHeader(add(IDS_MENU_EDIT, "", nullptr, false), true);
    add(IDS_MENU_RENAME, "Rename", "rename", false);
    add(IDS_MENU_PROPERTIES, "Properties", "properties", false);
    add(IDS_MENU_OPEN_LOCATION, "OpenLocation", "openlocation", false);
    add(IDS_MENU_RUN_AS_ADMIN, "RunAsAdmin", "runas", false);
    add(IDS_MENU_RENAME_SECTION, "RenameSection", "renamesection", false);
    menu->SetHeader(add(IDS_MENU_GENERAL, "", nullptr, false), true);
    add(IDS_MENU_ABOUT, "About", "about", false);
    add(IDS_MENU_OPTIONS, "Options", "options", false);
    add(0, "sep1", nullptr, false);
    add(IDS_MENU_EXIT, "Exit", "exit", false);
    menu->SaveMenu(kMainMenu);
}

void MainMenu::ShowMainMenu(const std::string& name, uintptr_t owner, double x, double y) {
    // The menu object must outlive a command that quits the program.
    const std::shared_ptr<PMenu> menu = app_.state.MainPopup;
    if (!menu) Raise(kErrObjectNotSet);
    menu->OwnerWindow(owner);
    menu->LoadMenu(name);
    menu->SetChecked(menu->ItemIndex("Fixed"), !app_.state.AutoHideOn);
    menu->SetChecked(menu->ItemIndex("AutoHide"), app_.state.AutoHideOn);
    const int32_t chosen = menu->Popup(static_cast<int32_t>(RoundHalfEven(x)), static_cast<int32_t>(RoundHalfEven(y)));
    if (chosen > 0) {
        const int32_t command = CommandOf(menu->ItemKey(chosen));
        if (command >= 0) RunCommand(command);
    }
    menu->SaveMenu(name);
}

int32_t MainMenu::CurrentTab() { return editing_.bar.Shown(); }

void MainMenu::RunCommand(int32_t number) {
    try {
        switch (number) {
            case kCmdExit:
                windows_.Exit();
                break;
            case kCmdAutoHide:
            case kCmdFixed:
                app_.state.AutoHideOn = number == kCmdAutoHide;
                floating_.EnableMoveDetection(false);
                arrangement_.ArrangeBar(true);
                break;
            case kCmdAddSection:
                CreateSection(editing_);
                break;
            case kCmdDelSection:
                RemoveSection(editing_, CurrentTab());
                break;
            case kCmdAbout:
                windows_.ShowAboutModal();
                break;
            case kCmdOptions:
                windows_.ShowOptionsModal();
                break;
            case kCmdAddButton:
                CreateButton(editing_, app_.state.PopupToolbarIndex, CurrentTab());
                break;
            case kCmdDelButton:
                if (!popupButtonKey_.empty()) DeleteButton(editing_, app_.state.PopupToolbarIndex, popupButtonKey_);
                break;
            case kCmdRename:
                if (!popupButtonKey_.empty()) RenameProgram(editing_, app_.state.PopupToolbarIndex, popupButtonKey_);
                break;
            case kCmdProperties:
                if (!popupButtonKey_.empty())
                    EditProgramProperties(editing_, app_.state.PopupToolbarIndex, popupButtonKey_);
                break;
            case kCmdOpenLocation:
            case kCmdRunAsAdmin:
                if (!popupButtonKey_.empty()) OpenButton(number);
                break;
            case kCmdRenameSection:
                if (popupTab_ > 0) RenameSection(editing_, popupTab_);
                break;
            default:
                break;
        }
    } catch (...) {
        app_.errors.ShowError("", CurrentError());
    }
}

void MainMenu::OpenButton(int32_t command) {
    const ButtonTag tag = editing_.bar.MustButton(app_.state.PopupToolbarIndex, popupButtonKey_).Tag();
    if (command == kCmdOpenLocation) {
        if (IsFilePath(tag.target)) ShowInFolder(editing_.shell, tag.target);
        return;
    }
    const std::optional<std::string> arguments =
        tag.arguments.empty() ? std::nullopt : std::optional<std::string>(tag.arguments);
    editing_.shell.RunAsAdministrator(0, tag.target, arguments);
}

void MainMenu::SetTargetItems(bool addProgram) {
    PMenu& menu = *app_.state.MainPopup;
    ButtonTag tag;
    const bool button =
        !popupButtonKey_.empty() &&
        Guard([&] { tag = editing_.bar.MustButton(app_.state.PopupToolbarIndex, popupButtonKey_).Tag(); });
    menu.LoadMenu(kMainMenu);
    menu.SetEnabled(menu.ItemIndex("AddButton"), addProgram);
    for (const char* key : {"DelButton", "Rename", "Properties"}) menu.SetEnabled(menu.ItemIndex(key), button);
    // Explorer shows a file of a drive or a share; an address is no program.
    menu.SetEnabled(menu.ItemIndex("OpenLocation"), button && IsFilePath(tag.target));
    menu.SetEnabled(menu.ItemIndex("RunAsAdmin"), button && !tag.target.empty() && !IsAddress(tag.target));
    menu.SetEnabled(menu.ItemIndex("RenameSection"), popupTab_ > 0);
    menu.SaveMenu(kMainMenu);
}

void MainMenu::ToolbarRightClick(int32_t toolbarIndex, const std::string& buttonKey, uintptr_t owner, double x,
                                 double y) {
    if (!app_.state.MainPopup) return;
    app_.state.PopupToolbarIndex = toolbarIndex;
    popupButtonKey_ = buttonKey;
    popupTab_ = 0;
    SetTargetItems(true);
    ShowMainMenu(kMainMenu, owner, x, y);
}

void MainMenu::TabStripRightClick(uintptr_t owner, double x, double y, int32_t tabPosition) {
    if (!app_.state.MainPopup) return;
    popupButtonKey_.clear();
    popupTab_ = tabPosition;
    SetTargetItems(false);
    ShowMainMenu(kMainMenu, owner, x, y);
}

}  // namespace lark
