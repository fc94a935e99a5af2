#pragma once
// The start-up spine and the shutdown of the program.
#include <string>
#include <vector>

#include "base/App.h"
#include "startup/BarRequest.h"
#include "startup/Settings.h"

namespace lark {

struct ScreenMeasures {
    int32_t widthPx = 0;
    int32_t heightPx = 0;
    int32_t dpiX = 96;
    int32_t dpiY = 96;
};

// What the start-up spine asks of the window layer and of the parts of the
// program that build the bar.
class IProgramHost {
public:
    virtual ~IProgramHost() = default;
    virtual bool PreviousInstanceRunning() = 0;
    // Hands a request to the bar that runs; false when none took it.
    virtual bool HandToRunningBar(const BarRequest& request) {
        (void)request;
        return false;
    }
    virtual ScreenMeasures MeasureScreen() = 0;
    virtual std::string ProgramFolder() = 0;
    // The user's roaming application-data folder; empty when unknown.
    virtual std::string AppDataFolder() = 0;

    virtual void LoadUtilityForm() = 0;
    // The settings are read: the windows take the colours they ask for.
    virtual void UseColours() = 0;
    virtual void ImportShellFolder(int32_t folderNumber, bool showProgress) = 0;
    virtual void InitImageLists() = 0;
    virtual void LoadCatalogue(const std::string& path) = 0;
    virtual void BuildMainMenu() = 0;
    virtual void HideDock() = 0;
    // Moves the floating window to FloatLeft / FloatTop / FloatWidth, shows
    // it and starts its move timer.
    virtual void ShowFloat() = 0;
    virtual void ShowConfiguredBar() = 0;

    // Loaded windows in the order they were loaded.
    virtual std::vector<IForm*> LoadedForms() = 0;
};

inline constexpr int32_t kDesktopFolder = 16;        // the user's desktop
inline constexpr int32_t kCommonDesktopFolder = 25;  // all users' desktop
// What the installer leaves beside an installed copy of the program.
inline constexpr const char* kUninstallerName = "Uninstall.exe";

// Where the catalogue lives when no setting names one: beside the program,
// unless that folder cannot be written or holds the installer's uninstaller
// (an installed copy), then in the user's application data. A catalogue found
// in either place is kept there.
std::string DefaultCatalogueFile(App& app, IProgramHost& host, const std::string& programFolder);

// Runs the start-up; true when the program is now running, false when it
// ended (second instance or a start-up error, already reported). A second
// start with a request hands it to the bar that runs and ends quietly.
bool Main(App& app, IProgramHost& host, const std::optional<BarRequest>& request = std::nullopt);

// Quits the working state: withdraws the appbar, unloads every window, saves
// the settings (unless noSave) and releases the catalogue and the menu.
// False when withdrawing the appbar failed; nothing was unloaded then.
bool Shutdown(App& app, IProgramHost& host, bool noSave);

}  // namespace lark
