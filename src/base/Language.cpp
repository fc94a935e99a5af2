#include "base/Language.h"

#include "base/Unicode.h"

namespace lark {
namespace {

constexpr Language kLanguages[] = {{"de-DE", "Deutsch", 0x0407},
                                   {"en-US", "English", 0x0409},
                                   {"es-ES", "Espa\xC3\xB1ol", 0x0C0A},
                                   {"fr-FR", "Fran\xC3\xA7" "ais", 0x040C}};

std::string PrimaryTag(const std::string& locale) { return FoldCase(locale.substr(0, locale.find_first_of("-_"))); }

}  // namespace

std::span<const Language> Languages() { return kLanguages; }

const Language& EnglishLanguage() { return kLanguages[1]; }

const Language* LanguageOfSetting(const std::string& setting) {
    const std::string tag = PrimaryTag(setting);
    if (tag.empty()) return nullptr;
    for (const Language& language : kLanguages)
        if (PrimaryTag(language.locale) == tag) return &language;
    return nullptr;
}

const Language* LanguageOfDisplay(uint16_t displayLangId) {
    for (const Language& language : kLanguages)
        if (language.primary() == (displayLangId & 0x3FF)) return &language;
    return nullptr;
}

const Language& ChooseLanguage(const std::string& setting, uint16_t displayLangId) {
    if (const Language* chosen = LanguageOfSetting(setting)) return *chosen;
    if (const Language* shown = LanguageOfDisplay(displayLangId)) return *shown;
    return EnglishLanguage();
}

}  // namespace lark
