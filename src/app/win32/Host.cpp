#include "app/win32/Host.h"

#include <knownfolders.h>
#include <shlobj.h>

#include "base/win32/Text.h"
#include "catalogue/CatalogueLoader.h"
#include "catalogue/ShellImport.h"
#include "catalogue/win32/ShellFolderTree.h"

namespace lark::win {

Host::Host() {
    appIcon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTSIZE | LR_SHARED));
}

bool Host::PreviousInstanceRunning() {
    // One instance per user session; the mutex lives as long as this process.
    instanceMutex_.reset(CreateMutexW(nullptr, FALSE, L"Local\\Brindlewick.Larkspan.Instance"));
    return instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
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
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return Narrow(slash == std::wstring::npos ? path : path.substr(0, slash));
}

std::string Host::AppDataFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &path)))
        folder = Narrow(path);
    CoTaskMemFree(path);
    return folder;
}

f_Util& Host::Util() {
    if (!util_) util_ = std::make_unique<f_Util>(forms_);
    util_->Load();
    return *util_;
}

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

void Host::Attach(App& app) { app_ = &app; }

void Host::ImportShellFolder(int32_t folderNumber, bool showProgress) {
    ShellFolderTree tree;
    ImportContext context{app().state, tree, About(), events_, app().errors};
    lark::ImportShellFolder(context, folderNumber, showProgress);
}

void Host::InitImageLists() {
    Util().InitImageLists(app().state.IconKeys, ProgramFolder(), app().platform.Files, app().platform.CodePage);
}

void Host::LoadCatalogue(const std::string& path) {
    if (!pictures_) pictures_ = std::make_unique<ButtonPictures>(Util(), app().state);
    const CatalogueLoad load{Dock().Content(), Float().Content(), app().platform.Files, app().platform.CodePage,
                             About(), events_, *pictures_, app().errors, app().state.IconSize};
    lark::LoadCatalogue(load, path);
}

void Host::BuildMainMenu() { Menu().BuildMainMenu(); }

MainMenu& Host::Menu() {
    if (!menu_) {
        AppState& s = app().state;
        presenter_ = std::make_unique<MenuPresenter>(Util().imgMenu, TwipScale{s.TwipsPerPixelX, s.TwipsPerPixelY});
        editing_ = std::make_unique<EditingContext>(EditingContext{s, Float().Content(), Dock().Content(), inputBox_,
                                                                   fileDialog_, app().platform.Boxes,
                                                                   app().platform.Files, Util()});
        menu_ = std::make_unique<MainMenu>(app(), *presenter_, Util(), *editing_, Arrangement(), Float(),
                                           static_cast<ICommandWindows&>(*this));
    }
    return *menu_;
}

void Host::ToolbarRightClick(int32_t toolbarIndex, const std::string& buttonKey, HWND control, double x,
                             double y) {
    Menu().ToolbarRightClick(toolbarIndex, buttonKey, reinterpret_cast<uintptr_t>(control), x, y);
}

void Host::TabStripRightClick(HWND control, double x, double y) {
    Menu().TabStripRightClick(reinterpret_cast<uintptr_t>(control), x, y);
}

bool Host::DockVisible() { return dock_ && IsWindowVisible(dock_->Handle()); }

void Host::ShowAboutModal() { About().ShowModal(launcher_, app().platform.Boxes); }

void Host::ShowOptionsModal() {
    frmOptions::Actions actions;
    actions.showConfiguredBar = [this] { Arrangement().ShowConfiguredBar(); };
    actions.runCommand = [this](int32_t command) { Menu().RunCommand(command); };
    actions.importFolder = [this](int32_t folder) { ImportShellFolder(folder, true); };
    actions.reloadCatalogue = [this] {
        const std::string path = app().state.CatalogueIni ? app().state.CatalogueIni->INIPath() : std::string();
        LoadCatalogue(path);
        for (HWND window : {Float().Handle(), Dock().Handle()}) RedrawWindow(window, nullptr, nullptr,
                                                                              RDW_INVALIDATE | RDW_ALLCHILDREN);
    };
    actions.busy = [this](bool on) {
        if (on) {
            app().platform.MousePointer.SetBusy();
        } else {
            app().platform.MousePointer.SetDefault();
        }
    };
    options_.ShowModal(app().state, actions, Keys());
}

void Host::HideDock() { Dock().Hide(); }

void Host::ShowFloat() { Float().PlaceAndShow(); }

void Host::ShowConfiguredBar() { Arrangement().ShowConfiguredBar(); }

frmMessage& Host::Message() {
    if (!message_) message_ = std::make_unique<frmMessage>(forms_, app().platform.MousePointer);
    return *message_;
}

BarArrangement& Host::Arrangement() {
    if (!arrangement_)
        arrangement_ = std::make_unique<BarArrangement>(app().state, Float(), Dock(), app().platform.AppBar, Message(),
                                                        events_, app().platform.MousePointer, app().errors);
    return *arrangement_;
}

void Host::LaunchButton(BarKind window, const ButtonTag& tag) { lark::LaunchButton(launcher_, window, tag); }

void Host::LaunchButtonElevated(const ButtonTag& tag) { lark::LaunchButtonElevated(launcher_, tag); }

AtHand& Host::Keys() {
    if (!keys_)
        keys_ = std::make_unique<AtHand>(
            app(), AtHand::Parts{[this] { return float_.get(); }, [this] { return dock_.get(); },
                                 [this]() -> DockedInput& { return Docked(); }});
    return *keys_;
}

void Host::FloatTimerTick() { Arrangement().FloatTimerTick(); }

DockedInput& Host::Docked() {
    if (!dockedInput_)
        dockedInput_ = std::make_unique<DockedInput>(app().state, Dock(), cursor_, Arrangement(), app().errors);
    return *dockedInput_;
}

void Host::DockedReveal() { Docked().Reveal(); }
void Host::DockedHideTimerTick() { Docked().HideTimerTick(); }
void Host::DockedTabMouseDown() { Docked().TabMouseDown(); }
void Host::DockedTabMouseUp(int16_t button) { Docked().TabMouseUp(button); }

void Host::DisplayChanged() {
    Arrangement().OnDisplayChanged(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void Host::ShellRestarted() { Arrangement().OnShellRestarted(); }
void Host::FullScreenApp(bool opened) { Arrangement().OnFullScreenApp(opened); }
void Host::EndSession() { Shutdown(app(), *this, false); }

bool Host::Quit() { return Shutdown(app(), *this, false); }

bool Host::OwnerDraw(UINT message, LPARAM lParam) { return MenuPresenter::HandleMessage(message, lParam); }

bool Host::PreTranslate(const MSG& msg) {
    return (float_ && float_->PreTranslate(msg)) || (dock_ && dock_->PreTranslate(msg));
}

}  // namespace lark::win
