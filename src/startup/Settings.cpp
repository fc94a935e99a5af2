#include "startup/Settings.h"

#include <algorithm>

#include "base/Conversions.h"
#include "base/RuntimeError.h"

namespace lark {
namespace {

std::string ReadSetting(ISettingsStore& store, const char* key, const std::string& fallback) {
    std::optional<std::string> text = store.Read(kSettingsApp, kSettingsSection, key);
    return text ? *text : fallback;
}

void WriteSetting(ISettingsStore& store, const char* key, const std::string& value) {
    store.Write(kSettingsApp, kSettingsSection, key, value);
}

}  // namespace

std::string DefaultCataloguePath(const std::string& programFolder) {
    return programFolder + "\\" + kDefaultCatalogueName;
}

void LoadSettings(AppState& state, ISettingsStore& store) {
    // Each key on its own: a failing read or conversion skips only that key.
    Guard([&] { state.CataloguePath = ReadSetting(store, "INI_Path", ""); });
    Guard([&] {
        // Large (0) or small (1); anything else would dock a bar without rows.
        const int16_t size = ToInt16(ReadSetting(store, "Size", "1"));
        state.IconSize = size == 0 || size == 1 ? size : 1;
    });
    Guard([&] {
        const double half = static_cast<double>(state.ScreenHeightPx) * state.TwipsPerPixelY.Value() / 2.0;
        state.FloatTop = ToInt32(ReadSetting(store, "Top", FormatNumber(half)));
    });
    Guard([&] {
        const double half = static_cast<double>(state.ScreenWidthPx) * state.TwipsPerPixelX.Value() / 2.0;
        state.FloatLeft = ToInt32(ReadSetting(store, "Left", FormatNumber(half)));
    });
    Guard([&] { state.FloatWidth = ToInt32(ReadSetting(store, "Width", "7500")); });
    // Absent, unreadable or below one row: the height of one row.
    Guard([&] { state.FloatHeight = std::max(ToInt32(ReadSetting(store, "Height", "0")), 0); });
    Guard([&] { state.BarPosition = ToInt16(ReadSetting(store, "Position", "5")); });
    Guard([&] { state.AutoHideOn = ToBool(ReadSetting(store, "Autohide", "0")); });
    Guard([&] {
        const std::string text = ReadSetting(store, "Hotkey", FormatKeyChord(kDefaultHotkey));
        const std::optional<KeyChord> chord = ParseKeyChord(text);
        // A chord that could never arrive reads as unreadable.
        if (chord && KeyChordProblem(*chord).empty()) state.Hotkey = *chord;
    });
    Guard([&] { state.Theme = ParseColourSetting(ReadSetting(store, "Theme", "system")); });
    Guard([&] { state.Language = ReadSetting(store, kLanguageSetting, ""); });
}

void SaveSettings(const AppState& state, ISettingsStore& store) {
    WriteSetting(store, "INI_Path", state.CataloguePath);
    WriteSetting(store, "Size", std::to_string(state.IconSize));
    WriteSetting(store, "Position", std::to_string(state.BarPosition));
    WriteSetting(store, "Top", std::to_string(state.FloatTop));
    WriteSetting(store, "Left", std::to_string(state.FloatLeft));
    WriteSetting(store, "Width", std::to_string(state.FloatWidth));
    WriteSetting(store, "Height", std::to_string(state.FloatHeight));
    WriteSetting(store, "Autohide", FormatBool(state.AutoHideOn));
    WriteSetting(store, "Hotkey", FormatKeyChord(state.Hotkey));
    WriteSetting(store, "Theme", FormatColourSetting(state.Theme));
    // Windows' language is the value's absence: written only to undo a choice.
    if (!state.Language.empty() || store.Read(kSettingsApp, kSettingsSection, kLanguageSetting))
        WriteSetting(store, kLanguageSetting, state.Language);
}

}  // namespace lark
