#pragma once
// Opening files and addresses through the shell.
#include <cstdint>
#include <optional>
#include <string>

namespace lark {

inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
inline constexpr int kShow = 5;        // SW_SHOW

// What became of a request to the shell: 0 when it started (or the user
// declined, or the shell has told the user itself), else the system's
// error number and its text.
struct LaunchResult {
    uint32_t error = 0;
    std::string reason;

    bool Failed() const { return error != 0; }
};

class IShellLauncher {
public:
    virtual ~IShellLauncher() = default;
    // A missing verb is the target's default verb; missing parameters or
    // directory are none (a null pointer, not an empty string). The owner
    // window is an opaque handle, 0 for none.
    virtual LaunchResult Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                                 const std::optional<std::string>& parameters,
                                 const std::optional<std::string>& directory, int showCommand) = 0;
    // Starts a program elevated ("runas"); a declined prompt is no failure.
    virtual LaunchResult RunAsAdministrator(uintptr_t owner, const std::string& file,
                                            const std::optional<std::string>& parameters) {
        return Execute(owner, std::string("runas"), file, parameters, std::nullopt, kShowNormal);
    }
};

// An Explorer window on the file's folder with the file selected.
inline LaunchResult ShowInFolder(IShellLauncher& shell, const std::string& path) {
    return shell.Execute(0, std::string("open"), "explorer.exe", "/select,\"" + path + "\"", std::nullopt,
                         kShowNormal);
}

// Opens a document or address with "open", owned by the given window.
inline LaunchResult OpenWithShell(IShellLauncher& shell, uintptr_t owner, const std::string& document) {
    return shell.Execute(owner, std::string("open"), document, std::string(), std::string(), kShow);
}

}  // namespace lark
