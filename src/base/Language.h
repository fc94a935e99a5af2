#pragma once
// The languages the bar speaks, and which one it speaks: the registry value
// "Language" (a locale name such as "de-DE"; absent or empty means Windows'
// language), else Windows' display language, else English.
#include <cstdint>
#include <span>
#include <string>

namespace lark {

struct Language {
    const char* locale;   // what the setting stores
    const char* ownName;  // how the language names itself in Options
    uint16_t langId;      // Windows' language id of that locale
    uint16_t primary() const { return langId & 0x3FF; }
};

// In the order Options lists them, after "Windows' language".
std::span<const Language> Languages();
const Language& EnglishLanguage();

// The bar's language that a setting names: its primary subtag decides, in
// any letter case ("de", "de-AT" and "DE-de" are German); nullptr for none.
const Language* LanguageOfSetting(const std::string& setting);
// The bar's language for Windows' display language (GetUserDefaultUILanguage).
const Language* LanguageOfDisplay(uint16_t displayLangId);
const Language& ChooseLanguage(const std::string& setting, uint16_t displayLangId);

}  // namespace lark
