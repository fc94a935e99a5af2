// The bar's languages: which one it speaks, and that every translation is
// whole and keeps what the program fills in and the keys the user presses.
#include <gtest/gtest.h>

#include <set>

#include "RcTexts.h"
#include "base/Language.h"
#include "base/Texts.h"

namespace lark {
namespace {

using test::ReadLanguage;
using test::RcLanguage;

const char* const kTranslations[] = {"de", "fr", "es"};

TEST(Language, SettingThenDisplayLanguageThenEnglish) {
    // Windows shows German; the setting wins when it names one of the bar's languages.
    EXPECT_STREQ(ChooseLanguage("fr-FR", 0x0407).locale, "fr-FR");
    EXPECT_STREQ(ChooseLanguage("ES", 0x0407).locale, "es-ES");
    EXPECT_STREQ(ChooseLanguage("de-AT", 0x0409).locale, "de-DE");
    EXPECT_STREQ(ChooseLanguage("en_GB", 0x0407).locale, "en-US");
    // Absent, empty or a language the bar lacks: Windows' display language,
    // whatever its country.
    EXPECT_STREQ(ChooseLanguage("", 0x0807).locale, "de-DE");    // Swiss German
    EXPECT_STREQ(ChooseLanguage("ja-JP", 0x0C0C).locale, "fr-FR");  // Canadian French
    EXPECT_STREQ(ChooseLanguage("-", 0x080A).locale, "es-ES");   // Mexican Spanish
    // Neither: English.
    EXPECT_STREQ(ChooseLanguage("", 0x0411).locale, "en-US");
    EXPECT_STREQ(ChooseLanguage("nl-NL", 0).locale, "en-US");
}

TEST(Language, OptionsListsEachLanguageByItsOwnName) {
    std::vector<std::string> names;
    for (const Language& language : Languages()) {
        names.push_back(language.ownName);
        // What Options stores reads back as the same language.
        EXPECT_EQ(LanguageOfSetting(language.locale), &language);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Deutsch", "English", "Espa\xC3\xB1ol", "Fran\xC3\xA7" "ais"}));
}

TEST(Texts, FillInReplacesEachNumberOnce) {
    EXPECT_EQ(FillIn("Delete section: %1?", {"Games"}), "Delete section: Games?");
    EXPECT_EQ(FillIn("%2 before %1", {"a", "b"}), "b before a");
    // What is filled in is never read again for numbers.
    EXPECT_EQ(FillIn("Cannot save %1. %2", {"C:\\100%2.ini", "Disk full"}), "Cannot save C:\\100%2.ini. Disk full");
    EXPECT_EQ(FillIn("100%% and %3 and %", {"a"}), "100% and %3 and %");
    // The English of the resources reaches the core.
    EXPECT_EQ(Text(IDS_NO_SUCH_SECTION, {"Games"}), "There is no section \"Games\".");
    EXPECT_EQ(Text(IDS_MENU_RENAME), "Rename\xE2\x80\xA6");
}

std::multiset<std::string> Placeholders(const std::string& text) {
    std::multiset<std::string> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] == '%') {
            ++i;
            continue;
        }
        found.insert(text.substr(i, 2));
    }
    return found;
}

// The letter after a single '&' ("&&" is an ampersand), lower-cased; 0 for none.
char AccessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

TEST(Texts, EveryLanguageHasEveryTextWithItsPlaceholdersAndAccessKeys) {
    const RcLanguage english = ReadLanguage("en");
    ASSERT_GT(english.strings.size(), 100u);
    for (const char* code : kTranslations) {
        SCOPED_TRACE(code);
        const RcLanguage language = ReadLanguage(code);
        for (const auto& [id, text] : english.strings) {
            SCOPED_TRACE(id);
            const auto found = language.strings.find(id);
            ASSERT_NE(found, language.strings.end()) << "untranslated: " << text;
            EXPECT_FALSE(found->second.empty());
            EXPECT_EQ(Placeholders(found->second), Placeholders(text)) << found->second;
            EXPECT_EQ(AccessKey(found->second) != 0, AccessKey(text) != 0) << found->second;
        }
        EXPECT_EQ(language.strings.size(), english.strings.size());
    }
}

TEST(Texts, EveryLanguageHasEveryDialogControlWithDistinctAccessKeys) {
    const RcLanguage english = ReadLanguage("en");
    ASSERT_EQ(english.dialogs.size(), 2u);
    for (const char* code : {"en", "de", "fr", "es"}) {
        SCOPED_TRACE(code);
        const RcLanguage language = ReadLanguage(code);
        for (const auto& [name, controls] : english.dialogs) {
            SCOPED_TRACE(name);
            const auto found = language.dialogs.find(name);
            ASSERT_NE(found, language.dialogs.end());
            ASSERT_EQ(found->second.size(), controls.size());
            std::set<char> keys;
            for (size_t i = 0; i < controls.size(); ++i) {
                const test::RcControl& translated = found->second[i];
                EXPECT_EQ(translated.id, controls[i].id);
                EXPECT_EQ(translated.text.empty(), controls[i].text.empty()) << translated.text;
                EXPECT_EQ(AccessKey(translated.text) != 0, AccessKey(controls[i].text) != 0) << translated.text;
                // Two controls with one key: the second can never be reached by it.
                if (const char key = AccessKey(translated.text)) EXPECT_TRUE(keys.insert(key).second) << translated.text;
            }
        }
    }
}

}  // namespace
}  // namespace lark
