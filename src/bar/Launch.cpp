#include "bar/Launch.h"

#include "base/Shortcuts.h"
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
    shell.Execute(0, std::string("runas"), tag.target, parameters, std::nullopt, kShowNormal);
}

}  // namespace lark
