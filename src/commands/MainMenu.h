#pragma once
// The right-click menu and the numbered commands it runs.
#include <memory>
#include <string>

#include "base/App.h"
#include "base/BarForms.h"
#include "base/MenuImages.h"
#include "commands/Editing.h"
#include "commands/PMenu.h"

namespace lark {

// Command numbers.
enum Command : int32_t {
    kCmdExit = 0,
    kCmdAutoHide = 1,
    kCmdFixed = 2,
    kCmdAddSection = 3,
    kCmdDelSection = 4,
    kCmdAbout = 5,
    kCmdOptions = 6,
    kCmdAddButton = 7,
    kCmdDelButton = 8,
    kCmdRename = 9,
    kCmdProperties = 10,
    kCmdOpenLocation = 11,
    kCmdRunAsAdmin = 12,
    kCmdRenameSection = 13,
};

inline constexpr const char* kMainMenu = "MainMenu";

// What the commands ask of the windows.
class ICommandWindows {
public:
    virtual ~ICommandWindows() = default;
    virtual void ShowAboutModal() = 0;
    virtual void ShowOptionsModal() = 0;
    // The program's shutdown.
    virtual void Exit() = 0;
};

class MainMenu {
public:
    MainMenu(App& app, IMenuPresenter& presenter, IMenuImages& images, EditingContext& editing,
             IBarArrangement& arrangement, IFloatingBar& floating, ICommandWindows& windows)
        : app_(app),
          presenter_(presenter),
          images_(images),
          editing_(editing),
          arrangement_(arrangement),
          floating_(floating),
          windows_(windows) {}

    // Creates MainPopup and stores its items as "MainMenu": the fourteen of
    // old, then the group that arranges the bar by hand.
    void BuildMainMenu();
    // Pops the named menu up at x, y (twips from the owner's top left) and
    // runs the chosen command.
    void ShowMainMenu(const std::string& name, uintptr_t owner, double x, double y);
    // Runs a command; a failure is reported and the bar goes on.
    void RunCommand(int32_t number);

    // Right button released over toolbar t; buttonKey is the program button
    // under the mouse, empty for none.
    void ToolbarRightClick(int32_t toolbarIndex, const std::string& buttonKey, uintptr_t owner, double x, double y);
    // Right button released over a tab strip; tabPosition is the tab under
    // the mouse, 0 for none.
    void TabStripRightClick(uintptr_t owner, double x, double y, int32_t tabPosition = 0);

    // The key of a menu command, or -1 when the key runs nothing.
    static int32_t CommandOf(const std::string& key);

private:
    int32_t CurrentTab();
    // The items that need a program or a tab under the mouse.
    void SetTargetItems(bool addProgram);
    // "Open file location" or "Run as administrator" on the right-clicked button.
    void OpenButton(int32_t command);

    App& app_;
    IMenuPresenter& presenter_;
    IMenuImages& images_;
    EditingContext& editing_;
    IBarArrangement& arrangement_;
    IFloatingBar& floating_;
    ICommandWindows& windows_;
    std::string popupButtonKey_;
    int32_t popupTab_ = 0;
};

}  // namespace lark
