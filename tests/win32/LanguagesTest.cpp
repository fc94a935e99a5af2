// The languages as the program carries them: texts and dialogs from its
// resources, intact through the resource compiler, English where a language
// lacks one.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/Language.h"
#include "base/Texts.h"
#include "base/win32/ResourceTexts.h"
#include "base/win32/Text.h"
#include "commands/win32/PropertiesIds.h"
#include "dialogs/win32/OptionsIds.h"

namespace lark::win {
namespace {

// Every test of this program reads the English of the resources.
class EnglishEnvironment : public ::testing::Environment {
public:
    void SetUp() override { SpeakLanguage(EnglishLanguage()); }
};
[[maybe_unused]] ::testing::Environment* const kEnglish = ::testing::AddGlobalTestEnvironment(new EnglishEnvironment);

const Language& Named(const char* locale) { return *LanguageOfSetting(locale); }

TEST(ResourceTexts, EachLanguageArrivesWholeFromTheResources) {
    EXPECT_EQ(ResourceTexts(Named("de")).Load(IDS_MENU_RENAME), "Umbenennen\xE2\x80\xA6");
    EXPECT_EQ(ResourceTexts(Named("de")).Load(IDS_NO_SUCH_SECTION), "Es gibt keinen Abschnitt \xE2\x80\x9E%1\xE2\x80\x9C.");
    EXPECT_EQ(ResourceTexts(Named("fr")).Load(IDS_MENU_PROPERTIES), "Propri\xC3\xA9t\xC3\xA9s\xE2\x80\xA6");
    EXPECT_EQ(ResourceTexts(Named("es")).Load(IDS_TAB_EXISTS), "\xC2\xA1La pesta\xC3\xB1" "a ya existe!");
    EXPECT_EQ(ResourceTexts(EnglishLanguage()).Load(IDS_NO_SUCH_SECTION), "There is no section \"%1\".");
    EXPECT_EQ(ResourceTexts(EnglishLanguage()).Load(IDS_USAGE).substr(0, 40), "larkspan /add PATH... [/section NAME]\r\nA");
    // An id no language has.
    EXPECT_EQ(ResourceTexts(Named("de")).Load(999), "");
    EXPECT_EQ(Text(IDS_MENU_EXIT), "Exit");
}

std::string DialogCaption(int id) {
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), DialogTemplate(id), nullptr,
                                             [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (!dialog) return "(none)";
    wchar_t text[256] = {};
    GetWindowTextW(dialog, text, 256);
    wchar_t apply[64] = {};
    GetDlgItemTextW(dialog, id == IDD_OPTIONS ? IDC_CMDAPPLY : IDCANCEL, apply, 64);
    DestroyWindow(dialog);
    return Narrow(text) + "/" + Narrow(apply);
}

TEST(ResourceTexts, DialogsComeInTheSpokenLanguage) {
    SpeakLanguage(Named("de"));
    EXPECT_EQ(DialogCaption(IDD_OPTIONS), "Optionen/\xC3\x9C" "bernehmen");
    EXPECT_EQ(Text(IDS_CANCEL), "Abbrechen");
    SpeakLanguage(Named("fr"));
    EXPECT_EQ(DialogCaption(IDD_PROPERTIES), "Propri\xC3\xA9t\xC3\xA9s/Annuler");
    SpeakLanguage(EnglishLanguage());
    EXPECT_EQ(DialogCaption(IDD_OPTIONS), "Options/Apply");
}

}  // namespace
}  // namespace lark::win
