// Entry point: wires the real platform services to the start-up spine and
// runs the message loop until the last window is gone.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/win32/Host.h"
#include "app/win32/RealPlatform.h"
#include "base/win32/ResourceTexts.h"
#include "base/win32/Services.h"
#include "base/win32/SystemLibrary.h"
#include "base/Language.h"
#include "base/SettingsStore.h"
#include "base/Unicode.h"
#include "base/win32/Text.h"
#include "startup/CommandLine.h"
#include "crash/win32/CrashHandler.h"
#include "startup/Program.h"

namespace {

// What the command line asks of the bar. Paths are made whole against this
// start's folder: the bar that takes them may run elsewhere.
std::optional<lark::BarRequest> RequestOf(const lark::StartCommand& command) {
    using lark::StartCommand;
    if (command.kind != StartCommand::Kind::Add && command.kind != StartCommand::Kind::Show) return std::nullopt;
    lark::BarRequest request;
    request.section = command.section;
    if (command.kind == StartCommand::Kind::Show) return request;
    request.action = lark::BarRequest::Action::Add;
    for (const std::string& path : command.paths) {
        // Web addresses stay as they are.
        if (path.find("://") != std::string::npos || lark::FoldCase(path.substr(0, 4)) == "www.") {
            request.paths.push_back(path);
            continue;
        }
        const std::wstring wide = lark::win::Widen(path);
        std::wstring full(MAX_PATH, L'\0');
        DWORD size = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (size >= full.size()) {
            full.resize(size);
            size = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        }
        full.resize(size < full.size() ? size : 0);
        request.paths.push_back(full.empty() ? path : lark::win::Narrow(full));
    }
    return request;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // DLLs loaded later (the file dialog's, the version reader) come from
    // the system folder only, never from beside the program.
    lark::win::SearchSystemFolderOnly();
    // A crash from here on leaves a dump and a message, and writes nothing else.
    lark::win::InstallCrashHandler(lark::win::DefaultCrashFolder());
    // Every text from here on, the second start's message included, is in
    // the bar's language.
    {
        lark::win::RegistrySettingsStore settings;
        const std::string chosen =
            settings.Read(lark::kSettingsApp, lark::kSettingsSection, lark::kLanguageSetting).value_or("");
        lark::win::SpeakLanguage(lark::ChooseLanguage(chosen, lark::win::DisplayLanguage()));
        lark::win::TellCrashesInLanguage();
    }

    const lark::StartCommand command =
        lark::ParseArguments(lark::SplitCommandLine(lark::win::Narrow(GetCommandLineW())));
    if (command.kind == lark::StartCommand::Kind::Usage) {
        MessageBoxW(nullptr, lark::win::Widen(lark::UsageText(command)).c_str(),
                    lark::win::Widen(lark::kProductTitle).c_str(),
                    MB_OK | (command.problem.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
        return command.problem.empty() ? 0 : 1;
    }
    const std::optional<lark::BarRequest> request = RequestOf(command);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // COM starts once the bar is on screen (base/win32/Ole.h).

    lark::win::RealPlatform real;
    lark::win::Host host;
    lark::App app(real.platform);
    host.Attach(app);
    real.files.Observe(&host.Watcher().Follow());

    if (!lark::Main(app, host, request)) return 0;
    // A chord another program holds leaves the bar without one; Options says so.
    host.Keys().UseHotkey(app.state.Hotkey);
    // From here on a second start hands its arguments to this bar; this
    // start's own come first.
    host.OpenRequests(request);

    // The catalogue's folder is waited on with the messages.
    return lark::win::EventLoop::Run(host.Watcher(), [&](const MSG& msg) { return host.PreTranslate(msg); });
}

// The run-time's own handler for an exception nobody catches prints its
// name, demangled, to a console this program does not have, and the crash
// handler replaces it first thing anyway. Defined here, it leaves the
// demangler (some 45 KB) out of the exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
