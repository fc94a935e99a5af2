#include "bar/Launch.h"

#include "base/Shortcuts.h"
#include "base/Log.h"
#include "base/Texts.h"
#include "base/Unicode.h"

namespace lark {

void LaunchButton(IShellLauncher& shell, BarKind window, const ButtonTag& tag) {
    // The floating window asks for the target's default verb.
    const std::optional<std::string> verb =
        window == BarKind::Docked ? std::optional<std::string>("open") : std::nullopt;
    const std::optional<std::string> parameters =
        tag.arguments.empty() ? std::nullopt : std::optional<std::string>(tag.arguments);
    shell.Execute(0, verb, tag.target, parameters, std::nullopt, kShowNormal);
}

bool OffersRunAsAdministrator(const ButtonTag& tag) {
    const std::string& target = tag.target;
    const size_t name = target.find_last_of("\\/");
    const size_t dot = target.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return false;
    // An address such as "http://host/setup.exe" is not run from here.
    if (UrlScheme(target)) return false;
    const std::string type = UpperCase(target.substr(dot + 1));
    for (const char* runnable : {"EXE", "COM", "BAT", "CMD", "MSC", "LNK"})
        if (type == runnable) return true;
    return false;
}

void LaunchButtonElevated(IShellLauncher& shell, const ButtonTag& tag) {
    const std::optional<std::string> parameters =
        tag.arguments.empty() ? std::nullopt : std::optional<std::string>(tag.arguments);
    shell.RunAsAdministrator(0, tag.target, parameters);
}

std::string ReportingLauncher::FailureText(const std::string& file, const LaunchResult& result) {
    std::string text = Text(IDS_LAUNCH_FAILED, {file});
    if (!result.reason.empty()) text += "\r\n\r\n" + result.reason;
    return text;
}

LaunchResult ReportingLauncher::Told(const std::string& file, LaunchResult result) {
    if (!result.Failed()) {
        if (opened_) Guard([&] { opened_(file); });
        return result;
    }
    Guard([&] {
        Log("Opening \"" + file + "\": " + result.reason + " (" + std::to_string(result.error) + ")");
    });
    Guard([&] { boxes_.Show(FailureText(file, result), kProductTitle, BoxIcon::Critical, BoxButtons::Ok); });
    return result;
}

LaunchResult ReportingLauncher::Execute(uintptr_t owner, const std::optional<std::string>& verb,
                                        const std::string& file, const std::optional<std::string>& parameters,
                                        const std::optional<std::string>& directory, int showCommand) {
    return Told(file, shell_.Execute(owner, verb, file, parameters, directory, showCommand));
}

LaunchResult ReportingLauncher::RunAsAdministrator(uintptr_t owner, const std::string& file,
                                                   const std::optional<std::string>& parameters) {
    return Told(file, shell_.RunAsAdministrator(owner, file, parameters));
}

}  // namespace lark
