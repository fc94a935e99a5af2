#pragma once
// ShellExecuteW behind the launcher interface.
#include "bar/Launch.h"

namespace lark::win {

class ShellLauncherService : public IShellLauncher {
public:
    void Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                      const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                      int showCommand) override;
    // ShellExecuteExW with "runas": the elevation prompt, and the shell's
    // own message when the target cannot start.
    void RunAsAdministrator(uintptr_t owner, const std::string& file,
                            const std::optional<std::string>& parameters) override;
};

}  // namespace lark::win
