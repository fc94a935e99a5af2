#pragma once
// The real platform services, as one object a program's entry creates.
#include "app/Program.h"
#include "app/win32/Services.h"
#include "bar/win32/AppBarShellService.h"

namespace lark::win {

struct RealPlatform {
    MessageBoxService messageBox;
    MousePointerService pointer;
    RegistrySettingsStore settings;
    FileSystemService files;
    AnsiCodePageService codePage;
    AppBarShellService appBar;
    Platform platform{messageBox, pointer, settings, files, codePage, appBar};
};

}  // namespace lark::win
