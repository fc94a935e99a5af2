#include "dialogs/win32/frmAbout.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/Modal.h"
#include "base/win32/Services.h"
#include "base/win32/SystemLibrary.h"
#include "base/win32/Text.h"
#include "dialogs/SysInfo.h"
#include "dialogs/win32/RegistryReader.h"

namespace lark::win {
namespace {

// The version reader is loaded when the About box first needs it.
BOOL QueryVersion(LPCVOID block, LPCWSTR path, void** value, UINT* length) {
    static const auto query = SystemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    return query(block, path, value, length);
}

// At 96 DPI; the box is laid out at the DPI of the monitor it opens on.
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 276;
constexpr int kMargin = 16;
constexpr int kTextLeft = 80;  // beside the 48-pixel icon
constexpr int kIconSize = 48;
constexpr int kLogoSize = 64;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id, HFONT font) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

// A font changed by one twist: bolder and larger, or underlined.
HFONT DerivedFont(HFONT base, int height, int weight, bool underline) {
    LOGFONTW lf{};
    GetObjectW(base, sizeof lf, &lf);
    if (height != 0) lf.lfHeight = height;
    if (weight != 0) lf.lfWeight = weight;
    lf.lfUnderline = underline ? TRUE : FALSE;
    return CreateFontIndirectW(&lf);
}

int TextWidth(HWND window, HFONT font, const std::wstring& text) {
    WindowDc dc(window);
    SelectGuard select(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::string VersionString(const void* data, const std::wstring& block, const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!QueryVersion(data, (block + name).c_str(), reinterpret_cast<void**>(&text), &length) || !text) return {};
    return Narrow(std::wstring(text, wcsnlen(text, length)));
}

// Starts a program as a double-click would, shown normally.
class ProcessStarter : public IProgramStarter {
public:
    void Start(const std::string& path) override {
        const std::wstring program = Widen(path);
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            Raise(kErrFileNotFound);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
};

// The message box has no owner, so the topmost About box would cover it:
// the box steps down from topmost while the message is up.
class BoxBelowMessage : public IMessageBox {
public:
    BoxBelowMessage(IMessageBox& inner, HWND window) : inner_(inner), window_(window) {}
    BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon, BoxButtons buttons) override {
        constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
        const BoxAnswer answer = inner_.Show(text, title, icon, buttons);
        if (IsWindow(window_)) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
        return answer;
    }

private:
    IMessageBox& inner_;
    HWND window_;
};

}  // namespace

VersionInfo ReadVersionInfo(const std::wstring& modulePath) {
    VersionInfo info;
    static const auto getSize =
        SystemFunction<decltype(&GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    static const auto getInfo = SystemFunction<decltype(&GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    DWORD ignored = 0;
    const DWORD size = getSize(modulePath.c_str(), &ignored);
    if (size == 0) return info;
    std::vector<BYTE> data(size);
    if (!getInfo(modulePath.c_str(), 0, size, data.data())) return info;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (QueryVersion(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof *fixed) {
        // The build's three-part version fills the first three fields.
        info.major = HIWORD(fixed->dwFileVersionMS);
        info.minor = LOWORD(fixed->dwFileVersionMS);
        info.revision = HIWORD(fixed->dwFileVersionLS);
    }

    // The texts of the first language listed, US English when none is.
    WORD* translation = nullptr;
    wchar_t block[64] = L"\\StringFileInfo\\040904B0\\";
    if (QueryVersion(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                       &length) &&
        translation && length >= 2 * sizeof(WORD))
        swprintf(block, 64, L"\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    info.productName = VersionString(data.data(), block, L"ProductName");
    info.description = VersionString(data.data(), block, L"FileDescription");
    info.copyright = VersionString(data.data(), block, L"LegalCopyright");
    return info;
}

std::string VersionText(const VersionInfo& info) {
    return "Version " + std::to_string(info.major) + "." + std::to_string(info.minor) + "." +
           std::to_string(info.revision);
}

frmAbout::frmAbout(FormRegistry& registry, HICON icon, std::wstring resourceFile)
    : Form(registry), icon_(icon), resourceFile_(std::move(resourceFile)) {}

frmAbout::~frmAbout() {
    if (!resourceFile_.empty() && resources_) FreeLibrary(resources_);
}

void frmAbout::ReadResources() {
    if (resourcesRead_) return;
    resourcesRead_ = true;
    if (resourceFile_.empty()) {
        resources_ = GetModuleHandleW(nullptr);
        version_ = ReadVersionInfo(RunningProgramPath());
    } else {
        resources_ = LoadLibraryExW(resourceFile_.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        version_ = ReadVersionInfo(resourceFile_);
    }
}

void frmAbout::MakeDpiResources() {
    image_.reset();
    logo_.reset();
    if (resources_) {
        // The program's own mark, its icon resource 1.
        image_ = LoadIconAtSize(resources_, MAKEINTRESOURCEW(1), Px(kIconSize));
        // Its frames for 100 %, 150 % and 200 %, shrunk from the next larger between.
        logo_ = LoadIconAtSize(resources_, L"LOGO", Px(kLogoSize));
    }
    font_ = MessageFontForDpi(dpi_);
    titleFont_.reset(DerivedFont(font_.get(), -Px(20), FW_BOLD, false));
    linkFont_.reset(DerivedFont(font_.get(), 0, 0, true));
}

int frmAbout::Px(int at96) const { return Scaled(at96, dpi_); }

void frmAbout::Load() {
    if (Loaded()) return;
    ReadResources();
    // On the monitor of the bar, else the mouse's. The box owns itself: it
    // stays above the bar as a topmost window, and a message it shows (no
    // owner either) can step in front of it.
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND bar = DialogOwner();
    const MonitorInfo monitor = bar ? MonitorOfWindow(bar) : MonitorAtPoint(cursor);
    dpi_ = static_cast<UINT>(monitor.dpi);
    MakeDpiResources();
    const RECT frame = WindowRectForClient(RECT{0, 0, Px(kClientWidth), Px(kClientHeight)}, kStyle, kExStyle, dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const POINT at = CentreOn(monitor, width, height);
    CreateFormWindow(WindowSpec{L"LarkspanAbout", kStyle, kExStyle, Widen(Text(IDS_ABOUT_TITLE, {version_.productName})),
                                RECT{at.x, at.y, at.x + width, at.y + height}, nullptr, icon_});
    RECT client{};
    GetClientRect(Handle(), &client);
    CreateHeader(client.right);
    CreateNotices(client.right);
    CreateCommands(client.right, client.bottom);
    // Topmost only: as a progress window it must not take the keyboard from
    // the bar, which would go to the desktop when it closes.
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Image1, lblTitle, lblVersion, lblDescription, the link Label1 and the
// logo picIcon.
void frmAbout::CreateHeader(int width) {
    HFONT font = font_.get();
    const int margin = Px(kMargin);
    HWND image1 = Child(Handle(), L"STATIC", nullptr, SS_ICON | SS_REALSIZECONTROL,
                        RECT{margin, margin, margin + Px(kIconSize), margin + Px(kIconSize)}, kImage1, font);
    SendMessageW(image1, STM_SETICON, reinterpret_cast<WPARAM>(image_.get()), 0);

    const int left = Px(kTextLeft);
    const int right = width - margin - Px(kLogoSize) - margin;
    Child(Handle(), L"STATIC", Widen(version_.productName).c_str(), SS_LEFT | SS_NOPREFIX,
          RECT{left, margin, right, margin + Px(28)}, kLblTitle, titleFont_.get());
    Child(Handle(), L"STATIC", Widen(VersionText(version_)).c_str(), SS_LEFT | SS_NOPREFIX,
          RECT{left, Px(48), right, Px(64)}, kLblVersion, font);
    Child(Handle(), L"STATIC", Widen(Text(IDS_ABOUT_DESCRIPTION)).c_str(), SS_LEFT | SS_NOPREFIX,
          RECT{left, Px(66), right, Px(82)}, kLblDescription, font);

    // Only the address itself answers the mouse, not the blank beside it.
    const std::wstring address = Widen(kWebAddress);
    const int linkWidth = std::min(TextWidth(Handle(), linkFont_.get(), address) + Px(6), right - left);
    label1_ = Child(Handle(), L"STATIC", address.c_str(), SS_LEFT | SS_NOPREFIX | SS_NOTIFY,
                    RECT{left, Px(86), left + linkWidth, Px(102)}, kLabel1, linkFont_.get());

    const int logoLeft = width - margin - Px(kLogoSize);
    picIcon_ = Child(Handle(), L"STATIC", nullptr, SS_ICON | SS_NOTIFY | SS_REALSIZECONTROL,
                     RECT{logoLeft, margin, logoLeft + Px(kLogoSize), margin + Px(kLogoSize)}, kPicIcon, font);
    SendMessageW(picIcon_, STM_SETICON, reinterpret_cast<WPARAM>(logo_.get()), 0);
}

// Line1, lblCopy and lblDisclaimer.
void frmAbout::CreateNotices(int width) {
    HFONT font = font_.get();
    const int margin = Px(kMargin);
    Child(Handle(), L"STATIC", nullptr, SS_ETCHEDHORZ, RECT{margin, Px(114), width - margin, Px(116)}, kLine1, font);
    Child(Handle(), L"STATIC", Widen(version_.copyright).c_str(), SS_LEFT | SS_NOPREFIX,
          RECT{margin, Px(126), width - margin, Px(142)}, kLblCopy, font);
    // The licence the program ships under, three lines in the longest language.
    Child(Handle(), L"STATIC", Widen(Text(IDS_ABOUT_LICENCE)).c_str(), SS_LEFT | SS_NOPREFIX,
          RECT{margin, Px(148), width - margin, Px(198)},
          kLblDisclaimer, font);
}

// ProgressBar1 (hidden until a load shows it), cmdOK and cmdSysInfo.
void frmAbout::CreateCommands(int width, int height) {
    HFONT font = font_.get();
    const int margin = Px(kMargin);
    progress_ = Child(Handle(), PROGRESS_CLASSW, L"", 0,
                      RECT{margin, height - Px(70), width - margin, height - Px(54)}, kProgressBar1, font);
    ShowWindow(progress_, SW_HIDE);
    const int top = height - Px(44);
    // Each button as wide as its text asks, in every language.
    const std::wstring okText = Widen(Text(IDS_OK));
    const std::wstring sysInfoText = Widen(Text(IDS_ABOUT_SYSINFO));
    const std::wstring openLogText = Widen(Text(IDS_ABOUT_OPEN_LOG));
    auto buttonWidth = [&](const std::wstring& text) {
        return std::max(Px(96), TextWidth(Handle(), font, text) + Px(24));
    };
    const int okLeft = width - margin - buttonWidth(okText);
    cmdOK_ = Child(Handle(), L"BUTTON", okText.c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP,
                   RECT{okLeft, top, width - margin, top + Px(28)}, kCmdOK, font);
    const int sysInfoRight = okLeft - Px(8);
    cmdSysInfo_ = Child(Handle(), L"BUTTON", sysInfoText.c_str(), BS_PUSHBUTTON | WS_TABSTOP,
                        RECT{sysInfoRight - buttonWidth(sysInfoText), top, sysInfoRight, top + Px(28)}, kCmdSysInfo,
                        font);
    // Failures nobody saw when they happened; only once there are some.
    const bool logged = !logFile_.empty() && GetFileAttributesW(logFile_.c_str()) != INVALID_FILE_ATTRIBUTES;
    cmdOpenLog_ = Child(Handle(), L"BUTTON", openLogText.c_str(), BS_PUSHBUTTON | WS_TABSTOP | (logged ? 0 : WS_DISABLED),
                        RECT{margin, top, margin + buttonWidth(openLogText), top + Px(28)}, kCmdOpenLog, font);
}

void frmAbout::ShowProgress(int32_t maximum) {
    progressPending_ = true;
    progressMaximum_ = maximum;
    progressStart_ = now_();
    if (progressDelayMs_ == 0) SetProgress(0);
}

void frmAbout::SetProgress(int32_t value) {
    const unsigned long long now = now_();
    if (progressPending_) {
        if (now - progressStart_ < progressDelayMs_) return;
        progressPending_ = false;
        Load();
        SendMessageW(progress_, PBM_SETRANGE32, 0, progressMaximum_);
        SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
        ShowWindow(progress_, SW_SHOW);
        EnableWindow(cmdOK_, FALSE);
        EnableWindow(cmdSysInfo_, FALSE);
        ShowWindow(cmdOpenLog_, SW_HIDE);
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        UpdateWindow(Handle());
        lastProgressTick_ = now;
        return;
    }
    if (!Loaded()) return;
    // Each position repaints the bar at once; a few dozen a second look the
    // same as one per line and leave a long load its speed.
    if (now - lastProgressTick_ < 15) return;
    lastProgressTick_ = now;
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void frmAbout::Unload() {
    progressPending_ = false;
    Form::Unload();
}

void frmAbout::ShowModal(IShellLauncher& launcher, IMessageBox& boxes) {
    if (modal_) return;
    launcher_ = &launcher;
    boxes_ = &boxes;
    Unload();
    Load();
    ModalScope modal(Handle());
    modal_ = &modal;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(cmdOK_);
    modal.Run([this] { return !Loaded(); });
    modal_ = nullptr;
}

void frmAbout::OnUnload(bool& cancel) {
    (void)cancel;
    // Before the box goes, so activation returns to the program's window.
    if (modal_) modal_->End();
}

void frmAbout::RunSysInfo() {
    if (!boxes_) return;
    RegistryReader registry;
    FileSystemService files;
    ProcessStarter starter;
    BoxBelowMessage boxes(*boxes_, Handle());
    StartSysInfo(registry, files, starter, boxes, version_.productName);
}

bool frmAbout::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return false;  // STN_CLICKED is the same code
    switch (id) {
        case kCmdOK:
        case IDCANCEL:
            Unload();
            return true;
        case kCmdSysInfo:
            RunSysInfo();
            return true;
        case kCmdOpenLog:
            if (launcher_ && !logFile_.empty())
                OpenWithShell(*launcher_, reinterpret_cast<uintptr_t>(Handle()), Narrow(logFile_));
            return true;
        case kLabel1:
        case kPicIcon:
            if (launcher_) OpenWithShell(*launcher_, reinterpret_cast<uintptr_t>(Handle()), kWebAddress);
            return true;
        default:
            return false;
    }
}

// Moved onto a monitor of another DPI: the system's rectangle, and every
// control made again at the new DPI in the state it had.
void frmAbout::OnDpiChanged(UINT dpi, const RECT& suggested) {
    const bool progressShown = IsWindowVisible(progress_) != FALSE;
    PBRANGE range{};
    SendMessageW(progress_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const auto position = static_cast<WPARAM>(SendMessageW(progress_, PBM_GETPOS, 0, 0));
    const bool okEnabled = IsWindowEnabled(cmdOK_) != FALSE;
    const bool sysInfoEnabled = IsWindowEnabled(cmdSysInfo_) != FALSE;
    const bool openLogShown = IsWindowVisible(cmdOpenLog_) != FALSE;
    while (HWND child = GetWindow(Handle(), GW_CHILD)) DestroyWindow(child);
    dpi_ = dpi;
    MakeDpiResources();
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(Handle(), &client);
    CreateHeader(client.right);
    CreateNotices(client.right);
    CreateCommands(client.right, client.bottom);
    SendMessageW(progress_, PBM_SETRANGE32, static_cast<WPARAM>(range.iLow), range.iHigh);
    SendMessageW(progress_, PBM_SETPOS, position, 0);
    ShowWindow(progress_, progressShown ? SW_SHOW : SW_HIDE);
    EnableWindow(cmdOK_, okEnabled);
    EnableWindow(cmdSysInfo_, sysInfoEnabled);
    ShowWindow(cmdOpenLog_, openLogShown ? SW_SHOW : SW_HIDE);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
            break;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == label1_) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, CurrentColours().link);
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(ColourBrush(CurrentColours().background));
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == label1_ || reinterpret_cast<HWND>(wParam) == picIcon_) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
