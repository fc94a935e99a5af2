#pragma once
// The per-user settings store: text values under application / section /
// key (the registry's HKEY_CURRENT_USER\Software\<app>\<section>).
#include <optional>
#include <string>

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
// The bar's language as a locale name ("de-DE"); absent or empty: Windows'.
inline constexpr const char* kLanguageSetting = "Language";

}  // namespace lark
