#pragma once
// The per-user settings, read once at start-up and written once when the
// program quits. "Hotkey" (a key chord as text, "Win+Alt+L"; "" for none)
// and "Theme" ("system", "light" or "dark") are values older copies of the
// program simply do not read.
#include <optional>
#include <string>

#include "base/AppState.h"
#include "base/SettingsStore.h"

namespace lark {

// Reads every key with its default; a value that does not convert leaves its
// field as it was. A missing "INI_Path" reads as empty: the program then
// chooses where the catalogue lives.
void LoadSettings(AppState& state, ISettingsStore& store);

// Writes every key; the first failing write ends the save (it throws).
void SaveSettings(const AppState& state, ISettingsStore& store);

// Program folder + "\zentrol.ini".
std::string DefaultCataloguePath(const std::string& programFolder);

}  // namespace lark
