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

}  // namespace lark
