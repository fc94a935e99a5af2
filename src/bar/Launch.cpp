#include "bar/Launch.h"

namespace lark {

void LaunchButton(IShellLauncher& shell, BarKind window, const ButtonTag& tag) {
    // The floating window asks for the target's default verb.
    const std::optional<std::string> verb =
        window == BarKind::Docked ? std::optional<std::string>("open") : std::nullopt;
    const std::optional<std::string> parameters =
        tag.arguments.empty() ? std::nullopt : std::optional<std::string>(tag.arguments);
    shell.Execute(0, verb, tag.target, parameters, std::nullopt, kShowNormal);
}

}  // namespace lark
