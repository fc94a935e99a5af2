#pragma once
// LoadCatalogue: rebuilds both bar windows' tabs, toolbars and buttons from
// the catalogue file, docked window first.
#include <string>

#include "base/BarWindow.h"
#include "base/ErrorReporter.h"
#include "base/FileSystem.h"
#include "base/PictureRule.h"
#include "base/ProgressWindow.h"
#include "base/TextFile.h"
#include "base/UiPorts.h"

namespace lark {

struct CatalogueLoad {
    IBarWindow& dock;
    IBarWindow& floating;
    IFileSystem& files;
    IAnsiCodePage& codePage;  // for a file without a byte-order mark
    IProgressWindow& progress;
    IEventLoop& events;
    IPictureRule& pictures;
    const ErrorReporter& errors;
    int32_t iconSize;  // 0 large pictures, 1 small; others leave bindings alone
};

// Reports its own failures (error number, ":" and description) and still
// finishes: toolbar 0 visible on both windows, the progress window closed.
void LoadCatalogue(const CatalogueLoad& load, const std::string& path);

}  // namespace lark
