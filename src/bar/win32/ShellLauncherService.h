#pragma once
// ShellExecuteExW behind the launcher interface.
#include "bar/Launch.h"

namespace lark::win {

class ShellLauncherService : public IShellLauncher {
public:
    // A failure comes back with the system's reason, for the program to
    // tell; where a file has no program to open it, the shell's own "Open
    // with" dialog is shown instead. Owner 0: the program's own window.
    LaunchResult Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                         const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                         int showCommand) override;
    // "runas": the elevation prompt; a declined prompt is no failure.
    LaunchResult RunAsAdministrator(uintptr_t owner, const std::string& file,
                                    const std::optional<std::string>& parameters) override;
};

}  // namespace lark::win
