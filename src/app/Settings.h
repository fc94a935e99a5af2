#pragma once
// The seven per-user settings, read once at start-up and written once when
// the program quits.
#include <optional>
#include <string>

#include "app/AppState.h"

namespace lark {

// A per-user store of text values under application / section / key.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // nullopt when the value is missing (or not text).
    virtual std::optional<std::string> Read(const std::string& app, const std::string& section,
                                            const std::string& key) = 0;
    // Creates the key path when needed; throws RuntimeError on failure.
    virtual void Write(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& value) = 0;
};

inline constexpr const char* kSettingsApp = "Larkspan";
inline constexpr const char* kSettingsSection = "Load";
inline constexpr const char* kDefaultCatalogueName = "zentrol.ini";

// Reads every key with its default; a value that does not convert leaves its
// field as it was. A missing "INI_Path" reads as empty: the program then
// chooses where the catalogue lives.
void LoadSettings(AppState& state, ISettingsStore& store);

// Writes every key; the first failing write ends the save (it throws).
void SaveSettings(const AppState& state, ISettingsStore& store);

// Program folder + "\zentrol.ini".
std::string DefaultCataloguePath(const std::string& programFolder);

}  // namespace lark
