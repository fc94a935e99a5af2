#pragma once
// Opening a button's target through the shell.
#include <optional>
#include <string>

#include "base/BarWindow.h"
#include "base/ShellLauncher.h"

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

}  // namespace lark
