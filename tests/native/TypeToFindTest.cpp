#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeBar.h"
#include "bar/BarFocus.h"
#include "bar/TypeToFind.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

// Three sections whose toolbars were made in another order than the tabs
// stand (as after sections were added and deleted), and a toolbar that no
// tab shows.
class FindTest : public ::testing::Test, public IFindView {
protected:
    void SetUp() override {
        Section(1, 3, "Office", {"Wordpad", "Calc"});
        Section(2, 1, "Tools", {"Notepad", "Visual Studio Code"});
        Section(3, 2, "Más", {"Éditeur de cartes", "PowerShell", "Launch Pad"});
        bar.CreateToolbar(4);
        bar.SetToolbarTag(4, "Hidden");
        bar.AddButton(4, "h", "no");
        bar.SetButtonToolTip(4, "h", "Zebra");
    }
    void Section(int32_t tab, int32_t toolbar, const std::string& name, std::vector<std::string> buttons) {
        bar.TabControl1().AddTab(name, -1, -1, name);
        ASSERT_EQ(bar.TabControl1().TabCount(), tab);
        bar.CreateToolbar(toolbar);
        bar.SetToolbarTag(toolbar, name);
        for (size_t i = 0; i < buttons.size(); ++i) {
            const std::string key = name + std::to_string(i);
            bar.AddButton(toolbar, key, "no");
            bar.SetButtonToolTip(toolbar, key, buttons[i]);
        }
    }
    std::string Found(std::string_view typed) {
        const std::optional<FoundButton> found = FindButton(bar, typed);
        if (!found) return "none";
        return std::to_string(found->tab) + "/" + std::to_string(found->toolbarIndex) + "/" +
               std::to_string(found->button) + " " + bar.GetButtonToolTip(found->toolbarIndex, found->key);
    }

    void SelectButton(const FoundButton& found) override { selected.push_back(found.key); }
    void ShowFindText(const std::string& text, bool matched) override {
        shown.push_back(text + (matched ? "" : " (none)"));
    }

    FakeBar bar;
    std::vector<std::string> selected;
    std::vector<std::string> shown;
};

TEST_F(FindTest, WordStartsComeFirstInTabOrderAcrossSections) {
    // Inside a word in the first section, at a word's start in the third.
    EXPECT_EQ(Found("pad"), "3/2/2 Launch Pad");
    EXPECT_EQ(Found("note"), "2/1/0 Notepad");
    EXPECT_EQ(Found("code"), "2/1/1 Visual Studio Code");
    EXPECT_EQ(Found("studio c"), "2/1/1 Visual Studio Code");
    EXPECT_EQ(Found("shell"), "3/2/1 PowerShell");  // an upper-case letter starts a word
    EXPECT_EQ(Found("ad"), "1/3/0 Wordpad");        // only inside words: the first in tab order
    // Case and accents, either way round.
    EXPECT_EQ(Found("WORD"), "1/3/0 Wordpad");
    EXPECT_EQ(Found("edit"), "3/2/0 Éditeur de cartes");
    EXPECT_EQ(Found("ÉDÌT"), "3/2/0 Éditeur de cartes");
    EXPECT_EQ(Found("mas"), "none");                 // section names are not searched
    EXPECT_EQ(Found("zebra"), "none");               // nor toolbars that no tab shows
    EXPECT_EQ(Found("xyz"), "none");
    EXPECT_EQ(Found(""), "none");
    EXPECT_EQ(MatchName("Notepad", "pad"), NameMatch::InsideWord);
    EXPECT_EQ(MatchName("Note pad", "pad"), NameMatch::WordStart);
    EXPECT_EQ(MatchName("padpad", "pad"), NameMatch::WordStart);
}

TEST_F(FindTest, TypingEditsTheTextAndSelectsTheMatch) {
    TypeToFind find(bar, *this);
    EXPECT_FALSE(find.Type(' '));  // a blank on its own launches instead
    EXPECT_FALSE(find.Type(0x1B));
    EXPECT_FALSE(find.Backspace());
    EXPECT_TRUE(find.Type('v'));
    EXPECT_TRUE(find.Type('i'));
    EXPECT_TRUE(find.Type('z'));  // no name holds "viz": the selection stays
    EXPECT_FALSE(find.Matched());
    EXPECT_TRUE(find.Backspace());
    EXPECT_TRUE(find.Matched());
    EXPECT_TRUE(find.Type(' '));  // inside a text a blank is a letter like any
    EXPECT_FALSE(find.Matched());
    EXPECT_THAT(selected, ElementsAre("Tools1", "Tools1", "Tools1"));
    EXPECT_THAT(shown, ElementsAre("v", "vi", "viz (none)", "vi", "vi  (none)"));

    shown.clear();
    EXPECT_TRUE(find.Clear());
    EXPECT_FALSE(find.Clear());
    EXPECT_TRUE(find.Type(U'É'));
    EXPECT_TRUE(find.Backspace());  // the whole character goes
    EXPECT_EQ(find.Text(), "");
    EXPECT_FALSE(find.Active());
    EXPECT_THAT(shown, ElementsAre("", "É", ""));
}

class FakeFocusWindows : public IFocusWindows {
public:
    uintptr_t Foreground() override { return foreground; }
    bool IsBar(uintptr_t window) override { return window == kBar; }
    bool Exists(uintptr_t window) override { return window != gone; }
    void Activate(uintptr_t window) override {
        log.push_back("activate " + std::to_string(window));
        foreground = window;
    }
    void BringBarForward() override {
        log.push_back("bar");
        foreground = kBar;
    }
    void ReleaseBar() override { log.push_back("release"); }

    static constexpr uintptr_t kBar = 1;
    uintptr_t foreground = 0;
    uintptr_t gone = 0;
    std::vector<std::string> log;
};

TEST(BarFocus, TheHotkeyAndEscapeHandTheKeyboardBack) {
    FakeFocusWindows windows;
    BarFocus focus(windows);
    windows.foreground = 42;
    focus.HotkeyPressed();
    focus.HotkeyPressed();  // pressed again: back where it was
    EXPECT_THAT(windows.log, ElementsAre("bar", "release", "activate 42"));

    windows.log.clear();
    focus.HotkeyPressed();
    focus.Leave();  // Escape with nothing typed
    focus.Leave();  // nowhere left to go back to
    EXPECT_THAT(windows.log, ElementsAre("bar", "release", "activate 42", "release"));

    // A window closed meanwhile, or the keyboard gone elsewhere by itself:
    // the bar only lets go.
    windows.log.clear();
    focus.HotkeyPressed();
    windows.gone = 42;
    focus.HotkeyPressed();
    windows.gone = 0;
    windows.foreground = 42;
    focus.HotkeyPressed();
    focus.Deactivated();
    focus.Leave();
    EXPECT_THAT(windows.log, ElementsAre("bar", "release", "bar", "release", "release"));
    EXPECT_EQ(focus.Previous(), 0u);
}

}  // namespace
}  // namespace lark::test
