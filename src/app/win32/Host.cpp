#include "app/win32/Host.h"

#include "app/win32/Text.h"

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

void Host::LoadUtilityForm() {
    if (!util_) util_ = std::make_unique<f_Util>(forms_);
    util_->Load();
}

void Host::SizeDrawingSurfaces() { util_->SizeDrawingSurfaces(); }

void Host::ImportShellFolder(int32_t folderNumber, bool showProgress) {
    // Seam: the shell-folder import fills the new catalogue from the desktop
    // once it exists; until then a first run starts with an empty catalogue.
    (void)folderNumber;
    (void)showProgress;
}

void Host::InitImageLists() {
    // Seam: the image lists and the icon cache arrive with button pictures.
}

void Host::LoadCatalogue(const std::string& path) {
    // Seam: the catalogue loader builds the bar windows' tabs and buttons.
    (void)path;
}

void Host::BuildMainMenu() {
    // Seam: the popup menu is built here once the commands exist.
}

void Host::HideDock() {
    // Seam: the docked window is loaded hidden here once docking exists.
}

void Host::ShowFloat() {
    if (!float_) float_ = std::make_unique<f_Float>(forms_, app(), appIcon_);
    float_->PlaceAndShow();
}

void Host::ShowConfiguredBar() {
    // Seam: choosing and arranging the configured position arrives with the
    // floating bar's position model; until then the bar stays floating.
}

}  // namespace lark::win
