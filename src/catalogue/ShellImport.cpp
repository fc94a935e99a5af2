#include "catalogue/ShellImport.h"

#include <limits>
#include <optional>

#include "base/cINI.h"
#include "base/RuntimeError.h"

namespace lark {
namespace {

// Deeper levels than this keep the section of the shortcut before them.
constexpr int16_t kDeepestNamedLevel = 3;

IFolder& Above(IFolder& folder) {
    IFolder* parent = folder.Parent();
    if (!parent) Raise(kErrObjectNotSet);
    return *parent;
}

// The section of a shortcut in `parent`, depth levels below the special
// folder: the titles of up to three folders above it, outermost first.
std::string SectionFor(IFolder& parent, int16_t depth) {
    std::string section = parent.Title();
    IFolder* folder = &parent;
    for (int16_t level = 2; level <= depth; ++level) {
        folder = &Above(*folder);
        section = folder->Title() + "\\" + section;
    }
    return section;
}

void ImportShortcut(ImportContext& context, IFolder& parent, const FolderEntry& item) {
    AppState& state = context.state;
    if (state.ImportDepth <= kDeepestNamedLevel) {
        state.ImportSection = SectionFor(parent, state.ImportDepth);
    } else if (state.ImportSection.empty()) {
        // Too deep to name a section and no earlier one to follow: an entry
        // under an empty header would be dropped by the loader anyway.
        return;
    }
    // Targets with a class id (advertised installs, shell objects) only open
    // through the shortcut itself; arguments go with their target.
    const LinkTarget target = LinkButtonTarget(parent.ShortcutTarget(item), item.path);
    const std::string value = FormatEntryValue(target.target, target.arguments);
    if (!state.CatalogueIni) Raise(kErrObjectNotSet);
    state.CatalogueIni->Create(state.ImportSection, item.name, value);
}

}  // namespace

void ImportShellFolder(ImportContext& context, int32_t folderNumber, bool showProgress) {
    std::unique_ptr<IFolder> folder;
    std::vector<FolderEntry> items;
    Guard([&] { folder = context.tree.OpenSpecialFolder(folderNumber); });
    context.state.ImportDepth = 0;
    Guard([&] {
        if (!folder) Raise(kErrObjectNotSet);
        items = folder->Items();
    });
    if (showProgress) {
        context.progressValue = 0;
        Guard([&] { context.progress.ShowProgress(static_cast<int32_t>(items.size())); });
        Guard([&] { context.events.DoEvents(); });
    }
    std::optional<CatalogueBatch> batch;
    if (context.state.CatalogueIni) Guard([&] { batch.emplace(*context.state.CatalogueIni); });
    Guard([&] {
        if (!folder) Raise(kErrObjectNotSet);
        ImportItems(context, *folder, items, showProgress);
    });
    Guard([&] { folder.reset(); });
    if (showProgress) {
        Guard([&] { context.progress.Unload(); });
        Guard([&] { context.events.DoEvents(); });
    }
    if (batch) {
        try {
            batch->Commit();
        } catch (...) {
            context.errors.ShowError("", CurrentError());
        }
    }
}

void ImportItems(ImportContext& context, IFolder& parent, const std::vector<FolderEntry>& items,
                 bool advanceProgress) {
    for (const FolderEntry& item : items) {
        if (advanceProgress && item.isFolder && context.state.ImportDepth == 0) {
            context.progress.SetProgress(++context.progressValue);
            context.events.DoEvents();
        }
        ImportItem(context, parent, item);
    }
}

void ImportItem(ImportContext& context, IFolder& parent, const FolderEntry& item) {
    int16_t& depth = context.state.ImportDepth;
    if (item.isFolder) {
        if (depth == std::numeric_limits<int16_t>::max()) Raise(kErrOverflow);
        ++depth;
        const std::unique_ptr<IFolder> folder = parent.Open(item);
        if (!folder) Raise(kErrObjectNotSet);
        ImportItems(context, *folder, folder->Items(), false);
        --depth;
    } else if (item.isShortcut) {
        ImportShortcut(context, parent, item);
    }
}

}  // namespace lark
