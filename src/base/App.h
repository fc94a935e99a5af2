#pragma once
// What every part of a run works with: the state record, the platform
// services behind their ports, and the one error reporter.
#include "base/AppBarShell.h"
#include "base/AppState.h"
#include "base/ErrorReporter.h"
#include "base/FileSystem.h"
#include "base/SettingsStore.h"
#include "base/TextFile.h"
#include "base/UiPorts.h"

namespace lark {

// A loaded window of the program, as shutdown sees it.
class IForm {
public:
    virtual ~IForm() = default;
    // Runs the window's unload handler and, unless it cancels, destroys it.
    virtual void Unload() = 0;
};

// Platform services shared by the rules.
struct Platform {
    IMessageBox& Boxes;
    IMousePointer& MousePointer;
    ISettingsStore& Settings;
    IFileSystem& Files;
    IAnsiCodePage& CodePage;
    IAppBarShell& AppBar;
};

// Everything one run of the program works with.
struct App {
    explicit App(Platform& services)
        : platform(services), errors(services.Boxes, services.MousePointer) {}

    AppState state;
    Platform& platform;
    ErrorReporter errors;
};

}  // namespace lark
