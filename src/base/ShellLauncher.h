#pragma once
// Opening files and addresses through the shell.
#include <cstdint>
#include <optional>
#include <string>

namespace lark {

inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
inline constexpr int kShow = 5;        // SW_SHOW

class IShellLauncher {
public:
    virtual ~IShellLauncher() = default;
    // A missing verb is the target's default verb; missing parameters or
    // directory are none (a null pointer, not an empty string). The owner
    // window is an opaque handle, 0 for none. The outcome is not reported.
    virtual void Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                         const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                         int showCommand) = 0;
    // Starts a program elevated ("runas"); the shell itself reports a
    // failure, and a declined prompt is none.
    virtual void RunAsAdministrator(uintptr_t owner, const std::string& file,
                                    const std::optional<std::string>& parameters) {
        Execute(owner, std::string("runas"), file, parameters, std::nullopt, kShowNormal);
    }
};

// An Explorer window on the file's folder with the file selected.
inline void ShowInFolder(IShellLauncher& shell, const std::string& path) {
    shell.Execute(0, std::string("open"), "explorer.exe", "/select,\"" + path + "\"", std::nullopt, kShowNormal);
}

// Opens a document or address with "open", owned by the given window.
inline void OpenWithShell(IShellLauncher& shell, uintptr_t owner, const std::string& document) {
    shell.Execute(owner, std::string("open"), document, std::string(), std::string(), kShow);
}

}  // namespace lark
