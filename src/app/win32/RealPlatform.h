#pragma once
// The real platform services, as one object a program's entry creates.
#include "bar/win32/AppBarShellService.h"
#include "base/win32/Services.h"
#include "startup/Program.h"

namespace lark::win {

struct RealPlatform {
    MessageBoxService messageBox;
    MousePointerService pointer;
    RegistrySettingsStore settings;
    FileSystemService disk;
    // The catalogue's follower hears of the bar's own saves here.
    ObservedFileSystem files{disk};
    AnsiCodePageService codePage;
    AppBarShellService appBar;
    Platform platform{messageBox, pointer, settings, files, codePage, appBar};
};

}  // namespace lark::win
