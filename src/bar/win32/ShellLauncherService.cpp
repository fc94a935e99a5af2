#include "bar/win32/ShellLauncherService.h"

#include <windows.h>
#include <shellapi.h>

#include "base/Texts.h"
#include "base/win32/Modal.h"
#include "base/win32/Ole.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

std::wstring SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : Widen(Text(IDS_SHELL_ERROR, {std::to_string(error)}));
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

struct Request {
    uintptr_t owner;
    const wchar_t* verb;
    std::wstring file;
    std::optional<std::wstring> parameters;
    std::optional<std::wstring> directory;
    int show;
    ULONG mask;
};

DWORD Run(const Request& request) {
    // The shell may hand a target to a COM handler; a click can come before
    // the bar has started COM.
    EnsureOleInitialized();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = request.mask;
    info.hwnd = request.owner ? reinterpret_cast<HWND>(request.owner) : DialogOwner();
    info.lpVerb = request.verb;
    info.lpFile = request.file.c_str();
    info.lpParameters = request.parameters ? request.parameters->c_str() : nullptr;
    info.lpDirectory = request.directory ? request.directory->c_str() : nullptr;
    info.nShow = request.show;
    if (ShellExecuteExW(&info)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : error;
}

LaunchResult Result(DWORD error) {
    // A declined prompt, or a failure the shell has already shown the user.
    if (error == ERROR_SUCCESS || error == ERROR_CANCELLED) return {};
    return LaunchResult{static_cast<uint32_t>(error), Narrow(SystemMessage(error))};
}

}  // namespace

LaunchResult ShellLauncherService::Execute(uintptr_t owner, const std::optional<std::string>& verb,
                                           const std::string& file, const std::optional<std::string>& parameters,
                                           const std::optional<std::string>& directory, int showCommand) {
    const std::wstring wideVerb = verb ? Widen(*verb) : std::wstring();
    Request request{owner,
                    verb ? wideVerb.c_str() : nullptr,
                    Widen(file),
                    parameters ? std::optional<std::wstring>(Widen(*parameters)) : std::nullopt,
                    directory ? std::optional<std::wstring>(Widen(*directory)) : std::nullopt,
                    showCommand,
                    // The program tells a failure itself, once, in its own words.
                    SEE_MASK_FLAG_NO_UI};
    const DWORD error = Run(request);
    if (error == ERROR_NO_ASSOCIATION) {
        // Nothing opens such a file: the shell asks the user what should.
        Request openWith = request;
        openWith.verb = L"openas";
        openWith.parameters.reset();
        openWith.mask = 0;
        const DWORD chosen = Run(openWith);
        if (chosen == ERROR_SUCCESS || chosen == ERROR_CANCELLED) return {};
    }
    return Result(error);
}

LaunchResult ShellLauncherService::RunAsAdministrator(uintptr_t owner, const std::string& file,
                                                      const std::optional<std::string>& parameters) {
    // The elevation prompt is the shell's: its own failures it shows and
    // answers as cancelled.
    return Result(Run(Request{owner, L"runas", Widen(file),
                              parameters ? std::optional<std::wstring>(Widen(*parameters)) : std::nullopt,
                              std::nullopt, SW_SHOWNORMAL, SEE_MASK_NOASYNC}));
}

}  // namespace lark::win
