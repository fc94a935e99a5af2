#pragma once
// The Windows side of the start-up spine: the windows of the program and
// the platform calls Main makes.
#include <memory>

#include "app/win32/AtHand.h"
#include "bar/BarArrangement.h"
#include "bar/DockedInput.h"
#include "bar/win32/f_Dock.h"
#include "bar/win32/f_Float.h"
#include "bar/win32/ShellLauncherService.h"
#include "base/win32/BackgroundThread.h"
#include "base/win32/Dpi.h"
#include "base/win32/EventLoop.h"
#include "base/win32/Form.h"
#include "base/win32/Handles.h"
#include "base/win32/LogFile.h"
#include "base/win32/Services.h"
#include "catalogue/CatalogueLoader.h"
#include "base/win32/SystemColours.h"
#include "catalogue/win32/CatalogueWatcher.h"
#include "catalogue/win32/ShellFolderTree.h"
#include "commands/MainMenu.h"
#include "commands/win32/InputBox.h"
#include "commands/win32/MenuPresenter.h"
#include "commands/win32/PropertiesDialog.h"
#include "dialogs/win32/frmAbout.h"
#include "dialogs/win32/frmMessage.h"
#include "dialogs/win32/frmOptions.h"
#include "foldermenu/win32/FolderMenus.h"
#include "icons/ButtonPictures.h"
#include "icons/OpenedTargets.h"
#include "icons/win32/f_Util.h"
#include "startup/Program.h"
#include "startup/win32/InstanceChannel.h"

namespace lark::win {

class Host : public IProgramHost, private IBarHost, private ICommandWindows {
public:
    Host();
    // The single-instance mutex goes first, before anything that may wait
    // (the picture workers): a new start meanwhile finds no bar running.
    ~Host();
    void Attach(App& app);

    bool PreviousInstanceRunning() override;
    bool HandToRunningBar(const BarRequest& request) override;
    ScreenMeasures MeasureScreen() override;
    std::string ProgramFolder() override;
    std::string AppDataFolder() override;
    void LoadUtilityForm() override;
    void UseColours() override;
    void ImportShellFolder(int32_t folderNumber, bool showProgress) override;
    void InitImageLists() override;
    void LoadCatalogue(const std::string& path) override;
    void BuildMainMenu() override;
    void HideDock() override;
    void ShowFloat() override;
    void ShowConfiguredBar() override;
    std::vector<IForm*> LoadedForms() override { return forms_.Loaded(); }

    FormRegistry& Forms() { return forms_; }
    f_Util& Util();
    f_Dock& Dock();
    f_Float& Float();
    frmAbout& About();
    EventLoop& Events() { return events_; }
    frmMessage& Message();
    BarArrangement& Arrangement();
    // Keyboard use of the bar windows, before the message is dispatched.
    bool PreTranslate(const MSG& msg);
    // The hotkey, "Start with Windows" and the keyboard's trip to the bar.
    AtHand& Keys();
    // Once the bar runs: takes what a second start hands over, after this
    // start's own request.
    void OpenRequests(const std::optional<BarRequest>& first);
    // The catalogue's folder, watched from the message loop.
    CatalogueWatcher& Watcher();
    // The catalogue file was changed by another program: both windows show
    // it again, keeping the section shown and the text typed to find.
    void ReloadCatalogueFromFile();

private:
    App& app() { return *app_; }
    void LaunchButton(BarKind window, const ButtonTag& tag) override;
    void FloatMoved() override;
    void LaunchButtonElevated(const ButtonTag& tag) override;
    void HotkeyPressed() override { Keys().Focus().HotkeyPressed(); }
    void LeaveBar() override { Keys().Focus().Leave(); }
    // Windows unloading at the end of the run deactivate too: nothing to hand back then.
    void BarDeactivated() override {
        if (!app().state.Quitting) Keys().Focus().Deactivated();
    }
    void BarActivated() override {
        if (watcher_) watcher_->Activated();
    }
    void DockedReveal() override;
    void DockedHideTimerTick() override;
    void DockedTabMouseDown(PointPx at) override;
    void DockedTabMouseUp(int16_t button, PointPx at) override;
    void DisplayChanged() override;
    void ShellRestarted() override;
    void FullScreenApp(bool opened) override;
    void EndSession() override;
    void AppBarPosChanged() override;
    void DockActivated() override;
    void DockWindowPosChanged() override;
    void DockDpiChanged(UINT dpi) override;
    void ShownBarDpi(UINT dpi) override;
    void ColoursAnnounced(ColourNews news) override;
    bool OwnerDraw(UINT message, LPARAM lParam) override;
    IFolderMenus& Folders() override;
    bool MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool Quit() override;
    void SectionShown() override;
    void Exit() override { Quit(); }
    void ToolbarRightClick(int32_t toolbarIndex, const std::string& buttonKey, HWND control, double x,
                           double y) override;
    void TabStripRightClick(HWND control, double x, double y, int32_t tab) override;
    OverflowChoice ShowOverflowMenu(const std::vector<OverflowEntry>& entries, HWND owner,
                                    const RECT& chevron) override;
    void DropPrograms(int32_t toolbarIndex, int32_t position, const DroppedItems& items) override;
    void MoveProgram(int32_t fromToolbar, const std::string& key, int32_t toToolbar, int32_t position) override;
    ButtonPictures& Pictures();
    CatalogueLoad Load();
    // The file again, applied as the difference: what did not change keeps
    // its pictures, the section shown stays.
    void ReloadCatalogue(const std::string& path);
    // Runs an edit of the bar by hand; a failure is reported.
    template <class Edit>
    void Arrange(Edit&& edit);
    DockedInput& Docked();
    MainMenu& Menu();
    void ShowAboutModal() override;
    // The shell, telling the user of a launch that fails.
    IShellLauncher& Launcher();
    // A target on another machine was launched: from now on its own picture
    // may be read.
    void TargetOpened(const std::string& file);
    // The modeless edge message's keys (Enter, Escape, Tab).
    bool EdgeMessageKeys(const MSG& msg);
    void ShowOptionsModal() override;
    // The Options chose the other picture size: both windows show it now.
    void IconSizeChanged();
    // While a load or an import runs the bar windows take no input: a
    // click, a key or the menu would run inside it.
    void HoldBarInput();
    void ReleaseBarInput();
    // A request from the command line; false while the bar is busy.
    bool RunRequest(const BarRequest& request);
    void AddSentPrograms(const BarRequest& request);
    void ShowRequested(const std::optional<std::string>& section);

    // f_Dock as the position rules see it: made on its first use but for
    // hiding, which a window not yet made needs not.
    class LazyDock : public IDockedBar {
    public:
        explicit LazyDock(Host& host) : host_(host) {}
        void Create() override { host_.Dock(); }
        RectPx Bounds() const override { return host_.dock_ ? host_.dock_->Bounds() : RectPx{}; }
        void Show() override { host_.Dock().Show(); }
        void Hide() override {
            if (host_.dock_) host_.dock_->Hide();
        }
        void Place(int32_t x, int32_t y, int32_t width, int32_t height, Flags flags) override {
            host_.Dock().Place(x, y, width, height, flags);
        }
        void MakeTopmost() override { host_.Dock().MakeTopmost(); }
        void DropTopmost() override { host_.Dock().DropTopmost(); }
        void EnableHideTimer(bool enabled) override {
            if (enabled || host_.dock_) host_.Dock().EnableHideTimer(enabled);
        }
        void SetPlacement(const WindowPlacement& placement) override { host_.Dock().SetPlacement(placement); }
        void SetColumn(bool column) override { host_.Dock().SetColumn(column); }
        bool InUse() const override { return host_.dock_ && host_.dock_->InUse(); }

    private:
        Host& host_;
    };

    App* app_ = nullptr;
    LazyDock dockProxy_{*this};
    UniqueHandle instanceMutex_;
    HICON appIcon_ = nullptr;  // shared resource icon, never destroyed
    FormRegistry forms_;
    // The pictures' and the folder menus' work share one thread; it starts
    // with the first of it.
    std::shared_ptr<BackgroundThread> background_ = std::make_shared<BackgroundThread>();
    std::unique_ptr<f_Util> util_;
    std::unique_ptr<f_Float> float_;
    std::unique_ptr<f_Dock> dock_;
    std::unique_ptr<frmAbout> about_;
    EventLoop events_;
    std::unique_ptr<ButtonPictures> pictures_;
    std::unique_ptr<PictureRequests> requests_;
    std::unique_ptr<frmMessage> message_;
    std::unique_ptr<BarArrangement> arrangement_;
    ShellLauncherService shell_;
    std::unique_ptr<ReportingLauncher> launcher_;
    std::shared_ptr<OpenedTargets> opened_;
    LogFile log_;
    CursorService cursor_;
    MonitorService monitors_;
    int inputHolds_ = 0;
    std::vector<HWND> heldWindows_;
    std::unique_ptr<DockedInput> dockedInput_;
    InputBox inputBox_;
    FileDialog fileDialog_;
    std::unique_ptr<MenuPresenter> presenter_;
    std::unique_ptr<PropertiesDialog> properties_;
    ShortcutReader shortcuts_;
    std::unique_ptr<EditingContext> editing_;
    std::unique_ptr<MainMenu> menu_;
    frmOptions options_;
    std::unique_ptr<AtHand> keys_;
    std::unique_ptr<InstanceChannel> channel_;
    std::unique_ptr<FolderMenus> folderMenus_;
    SystemColourService systemColours_;
    std::unique_ptr<ColourScheme> colours_;
    std::unique_ptr<CatalogueWatcher> watcher_;
};

}  // namespace lark::win
