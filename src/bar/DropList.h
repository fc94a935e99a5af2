#pragma once
// What a drop on the bar becomes: one new program button per file, folder,
// shortcut or address, in the drag's order, named after the file or link.
#include <string>
#include <vector>

#include "base/DropData.h"
#include "base/FileSystem.h"
#include "base/Shortcuts.h"
#include "base/TextFile.h"

namespace lark {

// Whether the drag brings anything the bar can take.
bool CanDrop(const DroppedItems& items);

// A shortcut or internet shortcut that cannot be read becomes a button on
// the file itself, which the shell opens as it would from Explorer.
std::vector<NewEntry> DroppedEntries(const DroppedItems& items, IShortcutReader& links, IFileSystem& files,
                                     IAnsiCodePage& ansi);

}  // namespace lark
