#pragma once
// LoadCatalogue: rebuilds the bar's model - and with it every view - from
// the catalogue file.
#include <functional>
#include <string>

#include "base/BarModel.h"
#include "base/ErrorReporter.h"
#include "base/FileSystem.h"
#include "base/PictureRule.h"
#include "base/ProgressWindow.h"
#include "base/TextFile.h"
#include "base/UiPorts.h"

namespace lark {

struct CatalogueLoad {
    BarModel& model;
    IFileSystem& files;
    IAnsiCodePage& codePage;  // for a file without a byte-order mark
    IProgressWindow& progress;
    IEventLoop& events;
    IPictureRule& pictures;
    const ErrorReporter& errors;
    int32_t iconSize;  // 0 large pictures, 1 small; others leave bindings alone
};

// Reports its own failures (error number, ":" and description) and still
// finishes: the first section shown (or none), the progress window closed.
void LoadCatalogue(const CatalogueLoad& load, const std::string& path);

// A reload of at most these lines shows no progress, lets no event run and
// holds no input: it is over in a blink.
inline constexpr size_t kQuietReloadLines = 2000;

// Loads the file into a model of its own, then makes `load.model` hold the
// same by the fewest changes (BarModel::Take): what did not change keeps its
// pictures, the section shown stays. A longer file shows progress and lets
// events run, with the bar's input held (holdInput(true), then false).
void ReloadCatalogue(const CatalogueLoad& load, const std::string& path,
                     const std::function<void(bool)>& holdInput);

}  // namespace lark
