#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bar/BarFocus.h"
#include "bar/TypeToFind.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

// Three sections whose toolbars were made in another order than the tabs
// stand (as after sections were added and deleted).
class FindTest : public ::testing::Test, public IFindView {
protected:
    void SetUp() override {
        Section(3, "Office", {"Wordpad", "Calc"});
        Section(1, "Tools", {"Notepad", "Visual Studio Code"});
        Section(2, "Más", {"Éditeur de cartes", "PowerShell", "Launch Pad"});
    }
    void Section(int32_t toolbar, const std::string& name, std::vector<std::string> buttons) {
        bar.AddSection(name, toolbar);
        for (const std::string& button : buttons) bar.AddButton(toolbar, BarButton{"", button, "", "", "no", false});
    }
    // "tab/toolbar/button name" of the match.
    std::string Found(std::string_view typed) {
        const std::optional<FoundButton> f = FindButton(bar, typed);
        if (!f) return "none";
        return std::to_string(f->tab) + "/" + std::to_string(f->toolbarIndex) + "/" + std::to_string(f->button) +
               " " + bar.MustButton(f->toolbarIndex, f->key).name;
    }
    void SelectButton(const FoundButton& found) override { selected.push_back(found.key); }
    void ShowFindText(const std::string& text, bool matched) override {
        shown.push_back(text + (matched ? "" : " (none)"));
    }

    BarModel bar;
    std::vector<std::string> selected;
    std::vector<std::string> shown;
};

TEST_F(FindTest, WordStartsComeFirstInTabOrderAcrossSections) {
    EXPECT_EQ(Found("pad"), "3/2/2 Launch Pad");  // a word's start in the third tab beats the first's inside
    EXPECT_EQ(Found("ad"), "1/3/0 Wordpad");      // only insides: the first in tab order
    EXPECT_EQ(Found("note"), "2/1/0 Notepad");
    EXPECT_EQ(Found("studio c"), "2/1/1 Visual Studio Code");
    EXPECT_EQ(Found("shell"), "3/2/1 PowerShell");  // an upper-case letter starts a word
    EXPECT_EQ(Found("WORD"), "1/3/0 Wordpad");
    EXPECT_EQ(Found("ÉDÌT"), "3/2/0 Éditeur de cartes");
    EXPECT_EQ(Found("edit"), "3/2/0 Éditeur de cartes");
    EXPECT_EQ(Found("mas"), "none");    // section names are not searched
    EXPECT_EQ(Found(""), "none");
}

TEST_F(FindTest, TypingEditsTheTextAndSelectsTheMatch) {
    TypeToFind find(bar, *this);
    EXPECT_FALSE(find.Type(' '));  // a blank on its own launches instead
    EXPECT_FALSE(find.Type(0x1B));
    EXPECT_FALSE(find.Backspace());
    for (char32_t c : {U'v', U'i', U'z'}) EXPECT_TRUE(find.Type(c));
    EXPECT_FALSE(find.Matched());  // no name holds "viz": the selection stays
    EXPECT_TRUE(find.Backspace());
    EXPECT_TRUE(find.Matched());
    EXPECT_TRUE(find.Type(' '));  // inside a text a blank is a letter like any
    EXPECT_THAT(selected, ElementsAre("Visual Studio Code1", "Visual Studio Code1", "Visual Studio Code1"));
    EXPECT_THAT(shown, ElementsAre("v", "vi", "viz (none)", "vi", "vi  (none)"));

    shown.clear();
    EXPECT_TRUE(find.Clear());
    EXPECT_FALSE(find.Clear());
    EXPECT_TRUE(find.Type(U'É'));
    EXPECT_TRUE(find.Backspace());  // the whole character goes
    EXPECT_FALSE(find.Active());
    EXPECT_THAT(shown, ElementsAre("", "É", ""));
}

class FakeFocusWindows : public IFocusWindows {
public:
    uintptr_t Foreground() override { return foreground; }
    bool IsBar(uintptr_t window) override { return window == 1; }
    bool Exists(uintptr_t window) override { return window != gone; }
    void Activate(uintptr_t window) override { log.push_back("activate " + std::to_string(foreground = window)); }
    void BringBarForward() override { log.push_back("bar " + std::to_string(foreground = 1)); }
    void ReleaseBar() override { log.push_back("release"); }
    uintptr_t foreground = 42;
    uintptr_t gone = 0;
    std::vector<std::string> log;
};

TEST(BarFocus, TheHotkeyAndEscapeHandTheKeyboardBack) {
    FakeFocusWindows windows;
    BarFocus focus(windows);
    focus.HotkeyPressed();
    focus.HotkeyPressed();  // again: back where it came from
    focus.HotkeyPressed();
    focus.Leave();  // Escape with nothing typed
    focus.Leave();  // nowhere left to go back to
    EXPECT_THAT(windows.log, ElementsAre("bar 1", "release", "activate 42", "bar 1", "release", "activate 42",
                                         "release"));

    // A window closed meanwhile, or the keyboard gone elsewhere by itself:
    // the bar only lets go.
    windows.log.clear();
    focus.HotkeyPressed();
    windows.gone = 42;
    focus.HotkeyPressed();
    windows.foreground = 7;
    focus.HotkeyPressed();
    focus.Deactivated();
    focus.Leave();
    EXPECT_THAT(windows.log, ElementsAre("bar 1", "release", "bar 1", "release", "release"));
}

}  // namespace
}  // namespace lark::test
