#pragma once
// Adding and deleting sections and program buttons: in the catalogue file
// first, then in the bar's model, which every bar window shows.
#include <string>

#include "base/AppState.h"
#include "base/BarModel.h"
#include "base/DialogPorts.h"
#include "base/FileSystem.h"
#include "base/IconSource.h"
#include "base/PictureRule.h"
#include "base/ShellLauncher.h"
#include "base/UiPorts.h"

namespace lark {

struct EditingContext {
    AppState& state;
    BarModel& bar;
    IInputBox& input;
    IFileDialog& fileDialog;
    IMessageBox& messageBox;
    IFileSystem& files;
    IIconSource& icons;
    IPictureRule& pictures;
    IPropertiesDialog& properties;
    IShellLauncher& shell;
};

// Raise on failure (the command's error report takes over), except
// RemoveSection and DeleteButton, which skip failing steps.
void CreateSection(EditingContext& c);
void RemoveSection(EditingContext& c, int32_t tabPosition);
void CreateButton(EditingContext& c, int32_t toolbarIndex, int32_t tabPosition);
// The program button under the right-click, by toolbar index and key.
void DeleteButton(EditingContext& c, int32_t toolbarIndex, const std::string& buttonKey);

}  // namespace lark
