#include "app/win32/Host.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <functional>

#include "base/Log.h"
#include "base/Texts.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Modal.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "base/win32/UserFolders.h"
#include "catalogue/CatalogueFormat.h"
#include "catalogue/CatalogueLoader.h"
#include "catalogue/ShellImport.h"
#include "bar/DropList.h"
#include "commands/Arranging.h"
#include "icons/IconCache.h"
#include "icons/PictureQueue.h"

namespace lark::win {
namespace {

// Holds the bar's input for the life of a scope.
class HeldInput {
public:
    HeldInput(std::function<void()> hold, std::function<void()> release) : release_(std::move(release)) { hold(); }
    ~HeldInput() { release_(); }
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

private:
    std::function<void()> release_;
};

}  // namespace

Host::Host() : log_([] { return LocalDataFile(L"larkspan.log"); }) {
    appIcon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTSIZE | LR_SHARED));
}

bool Host::PreviousInstanceRunning() {
    // One instance per user session; the mutex lives as long as this process.
    instanceMutex_.reset(CreateMutexW(nullptr, FALSE, L"Local\\Brindlewick.Larkspan.Instance"));
    return instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Host::HandToRunningBar(const BarRequest& request) {
    // The other bar may be starting still: its window comes when it runs.
    constexpr DWORD kWaitForBarMs = 30000;
    bool handed = false;
    Guard([&] { handed = InstanceChannel::Send(request, kWaitForBarMs); });
    return handed;
}

void Host::OpenRequests(const std::optional<BarRequest>& first) {
    channel_ = std::make_unique<InstanceChannel>([this](const BarRequest& request) { return RunRequest(request); });
    channel_->Open();
    if (first) channel_->Post(*first);
}

bool Host::RunRequest(const BarRequest& request) {
    if (request.action == BarRequest::Action::Show) {
        ShowRequested(request.section);
        return true;
    }
    // Not inside a load, an import or a dialog: they hold the bar.
    for (Form* form : {static_cast<Form*>(float_.get()), static_cast<Form*>(dock_.get())})
        if (inputHolds_ > 0 || (form && form->Loaded() && !IsWindowEnabled(form->Handle()))) return false;
    AddSentPrograms(request);
    return true;
}

void Host::AddSentPrograms(const BarRequest& request) {
    Arrange([&](EditingContext& editing) {
        std::vector<NewEntry> entries;
        std::string missing;
        for (const std::string& path : request.paths) {
            // A web address is named as a dropped link is; anything else must be there.
            DroppedItems items;
            items.text = path;
            std::vector<NewEntry> address = DroppedEntries(items, shortcuts_, app().platform.Files, app().platform.CodePage);
            if (address.empty()) {
                const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
                if (attributes == INVALID_FILE_ATTRIBUTES) {
                    missing += "\r\n" + path;
                    continue;
                }
                items = DroppedItems{};
                items.files.push_back(DroppedFile{path, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
                address = DroppedEntries(items, shortcuts_, app().platform.Files, app().platform.CodePage);
            }
            entries.insert(entries.end(), address.begin(), address.end());
        }
        if (!missing.empty())
            app().platform.Boxes.Show(Text(IDS_CANNOT_FIND, {missing}), Text(IDS_ADD_BUTTON), BoxIcon::Exclamation, BoxButtons::Ok);
        if (!entries.empty()) AddProgramsToSection(editing, request.section, entries);
    });
    SectionShown();
}

void Host::ShowRequested(const std::optional<std::string>& section) {
    if (section && !section->empty()) {
        const int32_t position = SectionNamed(app().state.Bar, *section);
        if (position == 0) {
            app().platform.Boxes.Show(Text(IDS_NO_SUCH_SECTION, {*section}), kProductTitle,
                                      BoxIcon::Exclamation, BoxButtons::Ok);
            return;
        }
        app().state.Bar.ShowSection(position);
        SectionShown();
    }
    Keys().Focus().Summon();
}

ScreenMeasures Host::MeasureScreen() {
    ScreenMeasures m;
    m.widthPx = GetSystemMetrics(SM_CXSCREEN);
    m.heightPx = GetSystemMetrics(SM_CYSCREEN);
    WindowDc dc(nullptr);
    m.dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
    m.dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    return m;
}

std::string Host::ProgramFolder() {
    const std::wstring path = RunningProgramPath();
    const size_t slash = path.find_last_of(L"\\/");
    return Narrow(slash == std::wstring::npos ? path : path.substr(0, slash));
}

std::string Host::AppDataFolder() { return Narrow(RoamingAppDataFolder()); }

namespace {

// The picture keys of the buttons of the section shown.
std::vector<std::string> ShownPictureKeys(const BarModel& bar) {
    std::vector<std::string> keys;
    if (const BarSection* section = bar.ShownSection())
        for (const BarButton& button : section->buttons) keys.push_back(button.picture);
    return keys;
}

}  // namespace

f_Util& Host::Util() {
    if (!util_) {
        util_ = std::make_unique<f_Util>(forms_);
        util_->SetPictureCacheFile(PictureWorker::CacheFileFinder(DefaultPictureCacheFile));
        util_->SetBackground(background_);
        // Read by the picture workers: network targets the user launched.
        opened_ = std::make_shared<OpenedTargets>(app().platform.Files, Narrow(LocalDataFile(L"launched.txt")));
        opened_->Load();
        // Shared: a worker left to end on its own may still ask.
        util_->SetMayOpen([opened = opened_](const std::string& target) { return opened->Contains(target); });
        EventLoop::SetPendingWork([this] { return static_cast<uint64_t>(util_->PicturesPending()); });
        util_->OnPicturesArrived([this](const std::vector<f_Util::Arrival>& arrivals) {
            if (!pictures_) return;
            std::map<std::string, std::string> shown;
            for (const f_Util::Arrival& arrival : arrivals)
                shown[arrival.key] = pictures_->ShownKey(arrival.key, arrival.large, arrival.small);
            app().state.Bar.ResolvePictures(shown);
        });
    }
    util_->Load();
    return *util_;
}

void Host::SectionShown() { Util().PrioritizePictures(ShownPictureKeys(app().state.Bar)); }

f_Dock& Host::Dock() {
    if (!dock_)
        dock_ = std::make_unique<f_Dock>(forms_, app(), BarImageLists{Util().imgSmall, Util().imlToolbarIcons},
                                         static_cast<IBarHost&>(*this));
    dock_->Load();
    return *dock_;
}

f_Float& Host::Float() {
    if (!float_)
        float_ = std::make_unique<f_Float>(forms_, app(), BarImageLists{Util().imgSmall, Util().imlToolbarIcons},
                                           static_cast<IBarHost&>(*this), appIcon_);
    float_->Load();
    return *float_;
}

frmAbout& Host::About() {
    if (!about_) about_ = std::make_unique<frmAbout>(forms_, appIcon_);
    return *about_;
}

void Host::LoadUtilityForm() { Util(); }

void Host::UseColours() {
    const bool first = !colours_;
    if (first) colours_ = std::make_unique<ColourScheme>(systemColours_);
    if (colours_->Use(app().state.Theme) || first) win::UseColours(colours_->Current());
}

void Host::ColoursAnnounced(ColourNews news) {
    if (colours_ && colours_->Hear(news)) win::UseColours(colours_->Current());
}

Host::~Host() {
    instanceMutex_.reset();
    // A picture worker left to end on its own may still have a failure to note.
    SetLogSink(nullptr);
    SetMainWindowFinder(nullptr);
    EventLoop::SetPendingWork(nullptr);
}

void Host::Attach(App& app) {
    app_ = &app;
    // Failures nobody sees at the time they happen.
    SetLogSink([this](const std::string& line) { log_.Write(line); });
    // Dialogs belong to the bar window on screen.
    SetMainWindowFinder([this]() -> HWND {
        if (dock_ && IsWindowVisible(dock_->Handle())) return dock_->Handle();
        return float_ && float_->Loaded() && IsWindowVisible(float_->Handle()) ? float_->Handle() : nullptr;
    });
    // An error that escapes a window's handler is reported like any other,
    // and the bar goes on.
    SetEscapedErrorReporter([this](const RuntimeError& error) { app_->errors.ShowError("", error); });
}

void Host::HoldBarInput() {
    if (inputHolds_++ > 0) return;
    for (Form* form : {static_cast<Form*>(float_.get()), static_cast<Form*>(dock_.get())}) {
        if (form && form->Loaded() && IsWindowEnabled(form->Handle())) {
            heldWindows_.push_back(form->Handle());
            EnableWindow(form->Handle(), FALSE);
        }
    }
}

void Host::ReleaseBarInput() {
    if (inputHolds_ == 0 || --inputHolds_ > 0) return;
    for (HWND window : heldWindows_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    heldWindows_.clear();
}

void Host::ImportShellFolder(int32_t folderNumber, bool showProgress) {
    HeldInput held([this] { HoldBarInput(); }, [this] { ReleaseBarInput(); });
    ShellFolderTree tree;
    ImportContext context{app().state, tree, About(), events_, app().errors};
    lark::ImportShellFolder(context, folderNumber, showProgress);
}

void Host::InitImageLists() {
    // Pictures at the size the DPI asks, where the bar will first show.
    const std::vector<MonitorInfo> monitors = monitors_.Monitors();
    const int32_t dpi = NearestMonitor(monitors, BarArrangement::StoredFloatingRect(app().state, monitors)).dpi;
    Util().UsePictureSizes(PictureSizePx(false, dpi), PictureSizePx(true, dpi));
    Util().InitImageLists(app().state.IconKeys, ProgramFolder(), app().platform.Files, app().platform.CodePage);
}

void Host::ShownBarDpi(UINT dpi) {
    const auto at = static_cast<int32_t>(dpi);
    if (!Util().UsePictureSizes(PictureSizePx(false, at), PictureSizePx(true, at))) return;
    if (float_ && float_->Loaded()) float_->Bar().RefreshPictures();
    if (dock_ && dock_->Loaded()) dock_->Bar().RefreshPictures();
    // The section on screen gets its pictures at the new size first.
    Util().PrioritizePictures(ShownPictureKeys(app().state.Bar));
}

ButtonPictures& Host::Pictures() {
    if (!pictures_) {
        pictures_ = std::make_unique<ButtonPictures>(app().state);
        // Every button asks for its own pictures once its section shows.
        requests_ = std::make_unique<PictureRequests>(Util(), app().state.Bar);
        app().state.Bar.Attach(*requests_);
    }
    return *pictures_;
}

CatalogueLoad Host::Load() {
    return CatalogueLoad{app().state.Bar, app().platform.Files, app().platform.CodePage, About(), events_,
                         Pictures(), app().errors, app().state.IconSize};
}

void Host::LoadCatalogue(const std::string& path) {
    Watcher().Follow().Follow(path);
    HeldInput held([this] { HoldBarInput(); }, [this] { ReleaseBarInput(); });
    const CatalogueLoad load = Load();
    Util().RestartPictures();
    lark::LoadCatalogue(load, path);
    // The section on screen gets its pictures first.
    Util().PrioritizePictures(ShownPictureKeys(app().state.Bar));
    Util().LoadEnded();
}

void Host::ReloadCatalogue(const std::string& path) {
    Watcher().Follow().Follow(path);
    // Pictures still on their way are for buttons that stay.
    lark::ReloadCatalogue(Load(), path, [this](bool hold) {
        if (hold) {
            HoldBarInput();
        } else {
            ReleaseBarInput();
        }
    });
    Util().PrioritizePictures(ShownPictureKeys(app().state.Bar));
}

CatalogueWatcher& Host::Watcher() {
    if (!watcher_) {
        CatalogueWatcher::Actions actions;
        // A look due as the program quits finds no bar to show anything on.
        actions.reload = [this] {
            if (!app().state.Quitting) ReloadCatalogueFromFile();
        };
        actions.report = [this](const std::string& text) {
            if (!app().state.Quitting)
                app().platform.Boxes.Show(text, kProductTitle, BoxIcon::Exclamation, BoxButtons::Ok);
        };
        actions.check = [this](std::string_view bytes) {
            // A repeated name is skipped without a word where its picture
            // needs no file: a folder or a cached type.
            return CheckCatalogue(bytes, app().platform.CodePage, [this](const std::string& target) {
                const std::string type = ButtonPictures::TargetType(target);
                return type.empty() || IsCachedIcon(app().state.IconKeys, type);
            });
        };
        watcher_ = std::make_unique<CatalogueWatcher>(app().platform.Files, std::move(actions));
        EventLoop::Provide(EventLoop::kCatalogueChecks, [this] { return watcher_->Follow().Checks(); });
        EventLoop::Provide(EventLoop::kCatalogueReloads, [this] { return watcher_->Follow().Reloads(); });
    }
    return *watcher_;
}

void Host::ReloadCatalogueFromFile() {
    const bool docked = dock_ && IsWindowVisible(dock_->Handle());
    BarForm& shown = docked ? static_cast<BarForm&>(*dock_) : static_cast<BarForm&>(Float());
    const std::string typed = shown.FindText();
    const bool hadKeyboard = GetActiveWindow() == shown.Handle();
    // The section shown stays by its name.
    ReloadCatalogue(Watcher().Follow().Path());
    // A long file held the input, which took the keyboard from the bar.
    if (hadKeyboard) shown.FocusSection();
    shown.FindAgain(typed);
}

void Host::BuildMainMenu() { Menu().BuildMainMenu(); }

MainMenu& Host::Menu() {
    if (!menu_) {
        AppState& s = app().state;
        presenter_ = std::make_unique<MenuPresenter>(
            [this](int sizePx) -> const KeyedImageList& {
                return Util().MenuImages(sizePx, CurrentColours().Dark());
            },
            TwipScale{s.TwipsPerPixelX, s.TwipsPerPixelY});
        properties_ = std::make_unique<PropertiesDialog>([this]() -> const KeyedImageList& {
            return app().state.IconSize == 0 ? Util().imlToolbarIcons : Util().imgSmall;
        });
        editing_ = std::make_unique<EditingContext>(EditingContext{s, s.Bar, inputBox_, fileDialog_,
                                                                   app().platform.Boxes, app().platform.Files,
                                                                   Util(), Pictures(), *properties_, Launcher()});
        menu_ = std::make_unique<MainMenu>(app(), *presenter_, Util(), *editing_, Arrangement(), Float(),
                                           static_cast<ICommandWindows&>(*this));
    }
    return *menu_;
}

void Host::ToolbarRightClick(int32_t toolbarIndex, const std::string& buttonKey, HWND control, double x,
                             double y) {
    Menu().ToolbarRightClick(toolbarIndex, buttonKey, reinterpret_cast<uintptr_t>(control), x, y);
}

void Host::TabStripRightClick(HWND control, double x, double y, int32_t tab) {
    Menu().TabStripRightClick(reinterpret_cast<uintptr_t>(control), x, y, tab);
}

OverflowChoice Host::ShowOverflowMenu(const std::vector<OverflowEntry>& entries, HWND owner, const RECT& chevron) {
    Menu();
    // Menus show small pictures, whatever the bar's size.
    const KeyedImageList& pictures = Util().imgSmall;
    std::vector<MenuItem> items;
    items.reserve(entries.size());
    for (const OverflowEntry& entry : entries) {
        MenuItem item;
        item.caption = entry.name;
        item.image = pictures.IndexOf(entry.picture);
        items.push_back(std::move(item));
    }
    const MenuPresenter::ListChoice choice = presenter_->PopupList(items, pictures, owner, chevron);
    return OverflowChoice{choice.item - 1, choice.context && choice.item > 0};
}

template <class Edit>
void Host::Arrange(Edit&& edit) {
    Menu();
    try {
        edit(*editing_);
    } catch (...) {
        app().errors.ShowError("", CurrentError());
    }
}

void Host::DropPrograms(int32_t toolbarIndex, int32_t position, const DroppedItems& items) {
    Arrange([&](EditingContext& editing) {
        const std::vector<NewEntry> entries =
            DroppedEntries(items, shortcuts_, app().platform.Files, app().platform.CodePage);
        AddPrograms(editing, toolbarIndex, position, entries);
    });
}

void Host::MoveProgram(int32_t fromToolbar, const std::string& key, int32_t toToolbar, int32_t position) {
    Arrange([&](EditingContext& editing) { lark::MoveProgram(editing, fromToolbar, key, toToolbar, position); });
}


void Host::ShowAboutModal() {
    About().SetLogFile(log_.Path());
    About().ShowModal(Launcher(), app().platform.Boxes);
}

IShellLauncher& Host::Launcher() {
    if (!launcher_)
        launcher_ = std::make_unique<ReportingLauncher>(shell_, app().platform.Boxes,
                                                        [this](const std::string& file) { TargetOpened(file); });
    return *launcher_;
}

void Host::TargetOpened(const std::string& file) {
    if (!IsNetworkPath(file, IsRemoteDrive)) return;
    Util();
    if (opened_->Add(file)) Util().TargetOpened(file);
}

void Host::ShowOptionsModal() {
    frmOptions::Actions actions;
    actions.showConfiguredBar = [this] { Arrangement().ShowConfiguredBar(); };
    actions.runCommand = [this](int32_t command) { Menu().RunCommand(command); };
    actions.importFolder = [this](int32_t folder) { ImportShellFolder(folder, true); };
    actions.reloadCatalogue = [this] {
        const std::string path = app().state.CatalogueIni ? app().state.CatalogueIni->INIPath() : std::string();
        ReloadCatalogue(path);
    };
    actions.iconSizeChanged = [this] { IconSizeChanged(); };
    actions.busy = [this](bool on) {
        if (on) {
            app().platform.MousePointer.SetBusy();
        } else {
            app().platform.MousePointer.SetDefault();
        }
    };
    actions.useColours = [this] { UseColours(); };
    options_.ShowModal(app().state, actions, Keys());
}

void Host::IconSizeChanged() {
    AppState& s = app().state;
    // Both lists hold every picture at the DPI's sizes: the toolbars take
    // the other list, then the windows their heights.
    if (s.IconSize == 0 || s.IconSize == 1)
        s.Bar.ChooseImageSize(s.IconSize == 0 ? ImageListSize::Large : ImageListSize::Small);
    if (float_ && float_->Loaded()) float_->IconSizeChanged();
    Arrangement().IconSizeChanged();
}

// The docked window is made when the bar first docks, not before.
void Host::HideDock() {
    if (dock_) dock_->Hide();
}

void Host::ShowFloat() {
    AppState& s = app().state;
    const RectPx place = BarArrangement::StoredFloatingRect(s, monitors_.Monitors());
    Float().PlaceAndShow(place);
    // Where it really is: a place brought back onto a monitor is no move.
    s.FloatLastTop = s.TwipsPerPixelY.Twips(place.top);
    s.FloatLastLeft = s.TwipsPerPixelX.Twips(place.left);
}

void Host::ShowConfiguredBar() { Arrangement().ShowConfiguredBar(); }

frmMessage& Host::Message() {
    if (!message_) message_ = std::make_unique<frmMessage>(forms_, app().platform.MousePointer);
    return *message_;
}

BarArrangement& Host::Arrangement() {
    if (!arrangement_)
        arrangement_ = std::make_unique<BarArrangement>(app().state, Float(), dockProxy_, app().platform.AppBar, monitors_,
                                                        Message(), events_, app().platform.MousePointer, app().errors);
    return *arrangement_;
}

void Host::LaunchButton(BarKind window, const ButtonTag& tag) { lark::LaunchButton(Launcher(), window, tag); }

void Host::FloatMoved() { Arrangement().FloatMoved(); }
void Host::LaunchButtonElevated(const ButtonTag& tag) { lark::LaunchButtonElevated(Launcher(), tag); }

AtHand& Host::Keys() {
    if (!keys_)
        keys_ = std::make_unique<AtHand>(
            app(), AtHand::Parts{[this] { return float_.get(); }, [this] { return dock_.get(); },
                                 [this]() -> DockedInput& { return Docked(); }});
    return *keys_;
}

DockedInput& Host::Docked() {
    if (!dockedInput_)
        dockedInput_ = std::make_unique<DockedInput>(app().state, dockProxy_, cursor_, Arrangement(), app().errors);
    return *dockedInput_;
}

void Host::DockedReveal() {
    RECT before{}, after{};
    GetWindowRect(Dock().Handle(), &before);
    Docked().Reveal();
    GetWindowRect(Dock().Handle(), &after);
    // Slid out: shown without being activated.
    if (watcher_ && !EqualRect(&before, &after)) watcher_->Activated();
}
void Host::DockedHideTimerTick() { Docked().HideTimerTick(); }
void Host::DockedTabMouseDown(PointPx at) { Docked().TabMouseDown(at); }
void Host::DockedTabMouseUp(int16_t button, PointPx at) { Docked().TabMouseUp(button, at); }

void Host::DisplayChanged() { Arrangement().OnDisplayChanged(); }
// The docked window's news before the first arrangement concern no appbar.
void Host::AppBarPosChanged() {
    if (arrangement_) arrangement_->OnAppBarPosChanged();
}
void Host::DockActivated() {
    if (arrangement_) arrangement_->OnDockActivated();
}
void Host::DockWindowPosChanged() {
    if (arrangement_) arrangement_->OnDockWindowPosChanged();
}
void Host::DockDpiChanged(UINT dpi) { Arrangement().OnDockDpiChanged(static_cast<int32_t>(dpi)); }

void Host::ShellRestarted() { Arrangement().OnShellRestarted(); }
void Host::FullScreenApp(bool opened) { Arrangement().OnFullScreenApp(opened); }
void Host::EndSession() { Shutdown(app(), *this, false); }

bool Host::Quit() { return Shutdown(app(), *this, false); }

bool Host::OwnerDraw(UINT message, LPARAM lParam) { return MenuPresenter::HandleMessage(message, lParam); }

IFolderMenus& Host::Folders() {
    if (!folderMenus_)
        folderMenus_ = std::make_unique<FolderMenus>(Launcher(), [this] {
            // Buttons found to open folders get their drop arrows.
            if (float_ && float_->Loaded()) float_->Bar().RefreshDropArrows();
            if (dock_ && dock_->Loaded()) dock_->Bar().RefreshDropArrows();
        }, background_);
    return *folderMenus_;
}

bool Host::MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (folderMenus_ && folderMenus_->HandleMenuMessage(message, wParam, lParam, result)) return true;
    return message == WM_MENUCHAR && MenuPresenter::MenuChar(wParam, lParam, result);
}

bool Host::PreTranslate(const MSG& msg) {
    return Barrier([&] {
        return (float_ && float_->PreTranslate(msg)) || (dock_ && dock_->PreTranslate(msg)) || EdgeMessageKeys(msg);
    }, [] { return true; });
}

bool Host::EdgeMessageKeys(const MSG& msg) {
    return message_ && message_->Loaded() && IsDialogMessageW(message_->Handle(), const_cast<MSG*>(&msg));
}

}  // namespace lark::win
