#pragma once
// Opening a button's target through the shell.
#include <functional>
#include <optional>
#include <string>

#include "base/BarWindow.h"
#include "base/ShellLauncher.h"
#include "base/UiPorts.h"

namespace lark {

enum class BarKind { Floating, Docked };

// A click on a program button: its target with its arguments, the shell's
// default verb in the floating window and "open" in the docked one.
void LaunchButton(IShellLauncher& shell, BarKind window, const ButtonTag& tag);

// Whether "Run as administrator" applies to the target: programs, scripts,
// consoles and shortcuts to them, not documents, folders or addresses.
bool OffersRunAsAdministrator(const ButtonTag& tag);

// Shift+Enter on such a button: the shell's "runas" verb, which asks for
// consent before the target starts elevated.
void LaunchButtonElevated(IShellLauncher& shell, const ButtonTag& tag);

// The shell as the user meets it through the bar: a target that cannot be
// opened is told, once, with the system's reason, and noted in the log; a
// target that was opened is handed to `opened`.
class ReportingLauncher : public IShellLauncher {
public:
    ReportingLauncher(IShellLauncher& shell, IMessageBox& boxes, std::function<void(const std::string&)> opened)
        : shell_(shell), boxes_(boxes), opened_(std::move(opened)) {}

    LaunchResult Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                         const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                         int showCommand) override;
    LaunchResult RunAsAdministrator(uintptr_t owner, const std::string& file,
                                    const std::optional<std::string>& parameters) override;

    // The message for a target that could not be opened.
    static std::string FailureText(const std::string& file, const LaunchResult& result);

private:
    LaunchResult Told(const std::string& file, LaunchResult result);

    IShellLauncher& shell_;
    IMessageBox& boxes_;
    std::function<void(const std::string&)> opened_;
};

}  // namespace lark
