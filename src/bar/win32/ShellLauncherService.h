#pragma once
// ShellExecuteW behind the launcher interface.
#include "bar/Launch.h"

namespace lark::win {

class ShellLauncherService : public IShellLauncher {
public:
    void Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                      const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                      int showCommand) override;
};

}  // namespace lark::win
