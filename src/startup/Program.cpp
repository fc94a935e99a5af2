#include "startup/Program.h"

#include "base/cINI.h"

#include "base/Conversions.h"
#include "base/Texts.h"

namespace lark {
namespace {

void BindCatalogue(App& app) {
    app.state.CatalogueIni = std::make_unique<cINI>(app.platform.Files, app.platform.CodePage);
    app.state.CatalogueIni->INIPath(app.state.CataloguePath);
}

// First run: a new catalogue filled from the desktop. A setting that named a
// missing file falls back to the default path; if a catalogue already lives
// there it is the user's, so it is kept as it is and nothing is imported.
void SettleCatalogueFile(App& app, IProgramHost& host, const std::string& programFolder) {
    AppState& s = app.state;
    if (app.platform.Files.Exists(s.CataloguePath)) return;
    s.CataloguePath = DefaultCatalogueFile(app, host, programFolder);
    if (app.platform.Files.Exists(s.CataloguePath)) return;
    app.platform.Files.SaveAtomically(s.CataloguePath, "\r\n", "");
    BindCatalogue(app);
    host.ImportShellFolder(kDesktopFolder, true);
    host.ImportShellFolder(kCommonDesktopFolder, true);
}

}  // namespace

std::string DefaultCatalogueFile(App& app, IProgramHost& host, const std::string& programFolder) {
    IFileSystem& files = app.platform.Files;
    const std::string beside = DefaultCataloguePath(programFolder);
    if (files.Exists(beside)) return beside;
    const std::string appData = host.AppDataFolder();
    if (appData.empty()) return beside;
    const std::string folder = appData + "\\" + kSettingsApp;
    const std::string home = folder + "\\" + kDefaultCatalogueName;
    if (files.Exists(home)) return home;
    // A copy on a stick or in a folder of its own stays portable; an
    // installed one (its uninstaller beside it) keeps the user's data out of
    // its install folder, even where the user may write there.
    const bool installed = files.Exists(programFolder + "\\" + kUninstallerName);
    if (!installed && files.CanCreateFilesIn(programFolder)) return beside;
    files.CreateFolder(folder);
    return home;
}

bool Main(App& app, IProgramHost& host, const std::optional<BarRequest>& request) {
    AppState& s = app.state;
    try {
        if (host.PreviousInstanceRunning()) {
            if (request && host.HandToRunningBar(*request)) return false;
            app.platform.Boxes.Show(Text(IDS_ALREADY_RUNNING), kProductTitle, BoxIcon::Information, BoxButtons::Ok);
            app.errors.ShowError("", std::nullopt);
            return false;
        }
        host.LoadUtilityForm();
        app.platform.MousePointer.SetBusy();

        const ScreenMeasures screen = host.MeasureScreen();
        s.ScreenWidthPx = screen.widthPx;
        s.ScreenHeightPx = screen.heightPx;
        // The exact ratio: at 168 DPI a rounded 9 would put every stored place
        // and size about 5 % off.
        s.TwipsPerPixelX = TwipsPerPixel(screen.dpiX);
        s.TwipsPerPixelY = TwipsPerPixel(screen.dpiY);
        // Until the bar is arranged on a monitor of its own: the primary one.
        const RectPx primary{0, 0, screen.widthPx, screen.heightPx};
        s.BarMonitor = MonitorInfo{primary, primary, screen.dpiY};

        s.IconSize = 1;
        const std::string programFolder = host.ProgramFolder();
        LoadSettings(s, app.platform.Settings);
        host.UseColours();
        if (s.CataloguePath.empty()) s.CataloguePath = DefaultCatalogueFile(app, host, programFolder);
        SettleCatalogueFile(app, host, programFolder);
        BindCatalogue(app);

        host.InitImageLists();
        host.LoadCatalogue(s.CataloguePath);
        host.BuildMainMenu();

        s.BarPlacement.length = 44;
        s.DockStateChanged = false;
        host.HideDock();
        s.FloatLastTop = s.FloatTop;
        s.FloatLastLeft = s.FloatLeft;
        host.ShowFloat();
        host.ShowConfiguredBar();
        app.platform.MousePointer.SetDefault();
        return true;
    } catch (...) {
        app.errors.ShowError("", CurrentError());
        return false;
    }
}

bool Shutdown(App& app, IProgramHost& host, bool noSave) {
    AppState& s = app.state;
    try {
        if (s.AppBarInfo.hWnd != 0) {
            s.AppBarInfo.lParam = 0;
            SetAutoHideBar(app.platform.AppBar, s.AppBarInfo, s.AutoHideMonitor, false);
            app.platform.AppBar.Send(ABM_REMOVE_, s.AppBarInfo);
        }
    } catch (...) {
        // Abandoned: the windows stay, only the catalogue and menu objects go.
        s.CatalogueIni.reset();
        s.MainPopup.reset();
        return false;
    }
    s.Quitting = true;
    for (IForm* form : host.LoadedForms()) Guard([&] { form->Unload(); });
    if (!noSave) Guard([&] { SaveSettings(s, app.platform.Settings); });
    s.CatalogueIni.reset();
    s.MainPopup.reset();
    return true;
}

}  // namespace lark
