#pragma once
// The About box. While a catalogue loads or a folder is imported it serves
// as the progress window: the bar visible, its buttons disabled, not modal.
#include <functional>
#include <string>
#include <vector>

#include "base/ProgressWindow.h"
#include "base/ShellLauncher.h"
#include "base/UiPorts.h"
#include "base/win32/Form.h"
#include "base/win32/Handles.h"
#include "base/win32/Modal.h"

namespace lark::win {

// What the About box shows of a module's version information.
struct VersionInfo {
    std::string productName;
    std::string description;
    std::string copyright;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;
};

// The version information of the file at modulePath; empty texts and zero
// numbers when it has none.
VersionInfo ReadVersionInfo(const std::wstring& modulePath);
// "Version " + major.minor.revision.
std::string VersionText(const VersionInfo& info);

class frmAbout : public Form, public IProgressWindow {
public:
    enum ControlId : int {
        kCmdOK = IDOK,
        kCmdSysInfo = 100,
        kLabel1,
        kPicIcon,
        kImage1,
        kLblTitle,
        kLblVersion,
        kLblDescription,
        kLblCopy,
        kLblDisclaimer,
        kLine1,
        kProgressBar1,
        kCmdOpenLog,
    };
    static constexpr const char* kWebAddress = "https://www.brindlewick.example/larkspan";

    // resourceFile: the module whose icon, logo and version information the
    // box shows; empty for this program itself.
    frmAbout(FormRegistry& registry, HICON icon, std::wstring resourceFile = {});
    ~frmAbout() override;

    // A load shows the box only once it has run for the progress delay: a
    // quick one would only flash it (and pay for making it) at every start.
    void ShowProgress(int32_t maximum) override;
    void SetProgress(int32_t value) override;
    void Unload() override;
    void SetProgressDelay(unsigned milliseconds) { progressDelayMs_ = milliseconds; }
    // The milliseconds the delay and the progress steps are timed by.
    void SetClock(std::function<unsigned long long()> now) { now_ = std::move(now); }
    static constexpr unsigned kProgressDelayMs = 250;

    // Loads the box afresh and shows it until it is closed; the program's
    // other windows are disabled meanwhile, their timers keep running. The
    // link and the logo open the web address through launcher; System Info
    // reports through boxes.
    void ShowModal(IShellLauncher& launcher, IMessageBox& boxes);
    // The log file "Open log" opens; the button is there while it exists.
    void SetLogFile(std::wstring path) { logFile_ = std::move(path); }

    HWND ProgressBar1() const { return progress_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnload(bool& cancel) override;

private:
    void Load();
    void ReadResources();
    // Fonts, icon and logo for dpi_.
    void MakeDpiResources();
    int Px(int at96) const;
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void CreateHeader(int width);
    void CreateNotices(int width);
    void CreateCommands(int width, int height);
    bool OnCommand(int id, int code);
    void RunSysInfo();

    HICON icon_;
    std::wstring resourceFile_;
    HMODULE resources_ = nullptr;
    bool resourcesRead_ = false;
    VersionInfo version_;
    UniqueIcon image_;
    UniqueIcon logo_;
    UINT dpi_ = 96;
    UniqueFont font_;
    UniqueFont titleFont_;
    UniqueFont linkFont_;

    IShellLauncher* launcher_ = nullptr;
    IMessageBox* boxes_ = nullptr;
    ModalScope* modal_ = nullptr;  // while shown modal

    HWND progress_ = nullptr;
    HWND cmdOK_ = nullptr;
    HWND cmdSysInfo_ = nullptr;
    HWND cmdOpenLog_ = nullptr;
    std::wstring logFile_;
    HWND label1_ = nullptr;
    HWND picIcon_ = nullptr;
    unsigned long long lastProgressTick_ = 0;
    unsigned progressDelayMs_ = kProgressDelayMs;
    std::function<unsigned long long()> now_ = [] { return GetTickCount64(); };
    // Between ShowProgress and Unload: the range, and when the load began.
    bool progressPending_ = false;
    int32_t progressMaximum_ = 0;
    unsigned long long progressStart_ = 0;
};

}  // namespace lark::win
