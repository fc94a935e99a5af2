#pragma once
// Auto Load: every shortcut in a shell special folder, or in any folder
// below it, becomes a catalogue entry in a section named after the folders
// that hold it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/ErrorReporter.h"
#include "base/ProgressWindow.h"
#include "base/Shortcuts.h"
#include "base/UiPorts.h"

namespace lark {

// One item of a folder as the shell lists it.
struct FolderEntry {
    std::string name;  // the shell's display name
    std::string path;
    bool isFolder = false;
    bool isShortcut = false;  // a shell link, or an internet shortcut (.url)
};

// A folder of the shell's tree. Failures (an unreadable folder or shortcut)
// raise a RuntimeError.
class IFolder {
public:
    virtual ~IFolder() = default;
    virtual std::string Title() = 0;
    // The folder above this one, or nullptr when the tree does not know it.
    // Valid as long as this folder lives.
    virtual IFolder* Parent() = 0;
    // Files and folders in the shell's order; plain files are listed too.
    virtual std::vector<FolderEntry> Items() = 0;
    // The folder behind one of this folder's folder items; its Parent() is
    // this folder.
    virtual std::unique_ptr<IFolder> Open(const FolderEntry& folder) = 0;
    // What one of this folder's shortcuts opens: a link's target path and
    // arguments (an empty path when the shell has none), an internet
    // shortcut's address.
    virtual LinkTarget ShortcutTarget(const FolderEntry& shortcut) = 0;
};

class IFolderTree {
public:
    virtual ~IFolderTree() = default;
    // A special folder by its shell number (2 programs, 16 desktop, ...).
    virtual std::unique_ptr<IFolder> OpenSpecialFolder(int32_t folderNumber) = 0;
};

struct ImportContext {
    AppState& state;  // ImportDepth, ImportSection, CatalogueIni
    IFolderTree& tree;
    IProgressWindow& progress;
    IEventLoop& events;
    const ErrorReporter& errors;
    int32_t progressValue = 0;  // the progress display's value while it is shown
};

// Never raises: an error inside the walk ends the walk of this folder, and
// the progress display is closed all the same. What the walk found reaches
// the catalogue in one save; a save that fails is reported and leaves the
// file as it was.
void ImportShellFolder(ImportContext& context, int32_t folderNumber, bool showProgress);

// Walks items of the folder `parent`; the progress display advances for
// folders met at depth 0 when advanceProgress is set. Raises on failure.
void ImportItems(ImportContext& context, IFolder& parent, const std::vector<FolderEntry>& items,
                 bool advanceProgress);

// A folder is walked, a shortcut written, anything else ignored.
void ImportItem(ImportContext& context, IFolder& parent, const FolderEntry& item);

}  // namespace lark
