#pragma once
// Arranging the bar by hand: programs dropped on it, buttons dragged into
// another place or section, renames and a program's properties. Each
// change reaches the catalogue first, in one save, so a failed save leaves
// the bar as it was; then the bar's model, which its windows show.
// Failures raise.
#include <string>
#include <vector>

#include "base/DropData.h"
#include "commands/Editing.h"

namespace lark {

// New programs on a toolbar, before the button at `position` (0-based; -1
// or past the end: at the end). Names the section holds already are
// refused with one message; the others are added in their order.
void AddPrograms(EditingContext& c, int32_t toolbar, int32_t position, const std::vector<NewEntry>& entries);

// A button dragged before the button at `position` of a toolbar (its own,
// or another section's, where it must not meet a name taken there).
void MoveProgram(EditingContext& c, int32_t fromToolbar, const std::string& key, int32_t toToolbar,
                 int32_t position);

void RenameProgram(EditingContext& c, int32_t toolbar, const std::string& key);
void RenameSection(EditingContext& c, int32_t tabPosition);
void EditProgramProperties(EditingContext& c, int32_t toolbar, const std::string& key);

// A drive or network path: what Explorer can show in its folder.
bool IsFilePath(const std::string& target);
// An address of the web or another scheme ("scheme://..."), no program.
bool IsAddress(const std::string& target);

}  // namespace lark
