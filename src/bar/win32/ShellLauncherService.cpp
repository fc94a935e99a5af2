#include "bar/win32/ShellLauncherService.h"

#include <windows.h>
#include <shellapi.h>

#include "base/win32/Ole.h"
#include "base/win32/Text.h"

namespace lark::win {

void ShellLauncherService::Execute(uintptr_t owner, const std::optional<std::string>& verb,
                                        const std::string& file, const std::optional<std::string>& parameters,
                                        const std::optional<std::string>& directory, int showCommand) {
    // The shell may hand a target to a COM handler; a click can come before
    // the bar has started COM.
    EnsureOleInitialized();
    const std::wstring wideVerb = verb ? Widen(*verb) : std::wstring();
    const std::wstring wideFile = Widen(file);
    const std::wstring wideParameters = parameters ? Widen(*parameters) : std::wstring();
    const std::wstring wideDirectory = directory ? Widen(*directory) : std::wstring();
    ShellExecuteW(reinterpret_cast<HWND>(owner), verb ? wideVerb.c_str() : nullptr, wideFile.c_str(),
                  parameters ? wideParameters.c_str() : nullptr, directory ? wideDirectory.c_str() : nullptr,
                  showCommand);
}

void ShellLauncherService::RunAsAdministrator(uintptr_t owner, const std::string& file,
                                              const std::optional<std::string>& parameters) {
    EnsureOleInitialized();
    const std::wstring wideFile = Widen(file);
    const std::wstring wideParameters = parameters ? Widen(*parameters) : std::wstring();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = reinterpret_cast<HWND>(owner);
    info.lpVerb = L"runas";
    info.lpFile = wideFile.c_str();
    info.lpParameters = parameters ? wideParameters.c_str() : nullptr;
    info.nShow = SW_SHOWNORMAL;
    // A declined prompt (ERROR_CANCELLED) is the user's answer, not a failure.
    ShellExecuteExW(&info);
}

}  // namespace lark::win
