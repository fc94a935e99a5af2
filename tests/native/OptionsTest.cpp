#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dialogs/OptionsState.h"

namespace lark::test {
namespace {

class FakeAtHand : public IAtHandServices {
public:
    bool StartsWithWindows() override { return runValue; }
    void SetStartWithWindows(bool on) override {
        log.push_back(on ? "run on" : "run off");
        if (!refuse) runValue = on;
    }
    bool ShowsInSendTo() override { return sendToLink; }
    void SetShowInSendTo(bool on) override {
        log.push_back(on ? "send to on" : "send to off");
        if (!refuse) sendToLink = on;
    }
    bool UseHotkey(const KeyChord& chord) override {
        log.push_back("hotkey " + FormatKeyChord(chord));
        taken = !chord.None() && chord == held;
        return !taken;
    }
    bool HotkeyTaken() override { return taken; }

    bool runValue = false;
    bool sendToLink = false;
    bool refuse = false;
    bool taken = false;
    KeyChord held{kModCtrl | kModAlt, 'T'};  // another program's
    std::vector<std::string> log;
};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.BarPosition = kBarFloating;
        s.IconSize = 1;
        s.AutoHideOn = false;
        options.Load(s, atHand);
    }
    AppState s;
    FakeAtHand atHand;
    OptionsState options;
};

TEST_F(OptionsTest, LoadShowsTheSettingsAndLeavesApplyOff) {
    EXPECT_TRUE(options.Selected(kOptFloat));
    EXPECT_TRUE(options.Selected(kOptFixed));
    EXPECT_TRUE(options.Selected(kOptSmall));
    EXPECT_FALSE(options.ApplyEnabled());
    s.BarPosition = 4;
    options.Load(s, atHand);
    EXPECT_TRUE(options.Selected(kOptRight));
    EXPECT_FALSE(options.Selected(kOptFloat));
    s.BarPosition = 6;  // unknown codes and sizes show as Float and Large
    s.IconSize = 9;
    s.AutoHideOn = true;
    options.Load(s, atHand);
    EXPECT_TRUE(options.Selected(kOptFloat));
    EXPECT_TRUE(options.Selected(kOptLarge));
    EXPECT_TRUE(options.Selected(kOptAutoHide));
}

TEST_F(OptionsTest, OkWithoutTouchingAnythingChangesNothing) {
    s.IconSize = 7;
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_FALSE(result.showConfiguredBar);
    EXPECT_FALSE(result.command);
    EXPECT_EQ(s.IconSize, 7);
    EXPECT_EQ(s.BarPosition, kBarFloating);
}

TEST_F(OptionsTest, TopThenOkDocks) {
    options.Click(kOptTop);
    EXPECT_TRUE(options.ApplyEnabled());
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_TRUE(result.showConfiguredBar);
    EXPECT_EQ(s.BarPosition, kBarTop);
    // The columns, one choice of the same group.
    options.Click(kOptLeft);
    EXPECT_FALSE(options.Selected(kOptTop));
    EXPECT_TRUE(options.Ok(s).showConfiguredBar);
    EXPECT_EQ(s.BarPosition, kBarLeft);
    options.Load(s, atHand);
    options.Click(kOptRight);
    options.Ok(s);
    EXPECT_EQ(s.BarPosition, kBarRight);
}

TEST_F(OptionsTest, ApplyThenCancelKeepsTheMemoryChangeOnly) {
    options.Click(kOptTop);
    options.Apply(s);
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_FALSE(options.ApplyEnabled());
    // Cancel: nothing runs; a later OK finds Apply disabled and acts on the
    // flags the Apply left.
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_TRUE(result.showConfiguredBar);
}

TEST_F(OptionsTest, AutoHideRunsOnceAndNotWhenAppliedTwice) {
    options.Click(kOptAutoHide);
    options.Apply(s);
    EXPECT_EQ(options.Ok(s).command, 1);

    options.Load(s, atHand);  // AutoHideOn is still false: the command did not run here
    options.Click(kOptAutoHide);
    options.Apply(s);
    options.Click(kOptFixed);
    options.Click(kOptAutoHide);
    options.Apply(s);  // already true: nothing changed by this Apply
    EXPECT_FALSE(options.Ok(s).command);
}

TEST_F(OptionsTest, FixedRunsTheFixedCommand) {
    s.AutoHideOn = true;
    options.Load(s, atHand);
    options.Click(kOptFixed);
    EXPECT_EQ(options.Ok(s).command, 2);
}

TEST_F(OptionsTest, TheSizeIsOnlyStored) {
    options.Click(kOptLarge);
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_EQ(s.IconSize, 0);
    EXPECT_FALSE(result.showConfiguredBar);
    EXPECT_FALSE(result.command);
}

TEST_F(OptionsTest, TheColoursShowTheSettingAndApplyStoresTheChoice) {
    s.Theme = ColourSetting::Dark;
    options.Load(s, atHand);
    EXPECT_EQ(options.Colours(), ColourSetting::Dark);
    options.ChooseColours(ColourSetting::System);
    EXPECT_EQ(s.Theme, ColourSetting::Dark);  // nothing before Apply: Cancel keeps it
    EXPECT_TRUE(options.ApplyEnabled());
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_EQ(s.Theme, ColourSetting::System);
    EXPECT_FALSE(result.showConfiguredBar);
    EXPECT_FALSE(result.command);
}

TEST_F(OptionsTest, TheLanguageShowsTheSettingAndApplyStoresTheChoiceOnlyWhenChanged) {
    s.Language = "fr-CA";  // written by hand: shown as French
    options.Load(s, atHand);
    EXPECT_EQ(options.LanguageChoice(), 4);
    options.Click(kOptSmall);
    options.Apply(s);
    EXPECT_EQ(s.Language, "fr-CA");  // untouched, kept as written
    options.ChooseLanguage(1);
    EXPECT_TRUE(options.ApplyEnabled());
    options.Apply(s);
    EXPECT_EQ(s.Language, "de-DE");
    options.ChooseLanguage(0);
    options.Ok(s);
    EXPECT_EQ(s.Language, "");  // Windows' language
    s.Language = "x-unknown";
    options.Load(s, atHand);
    EXPECT_EQ(options.LanguageChoice(), 0);
}

TEST_F(OptionsTest, ASecondOpeningChangesNothing) {
    options.Click(kOptBottom);
    options.Click(kOptAutoHide);
    options.Ok(s);
    s.AutoHideOn = true;  // what the command did
    options.Load(s, atHand);
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_FALSE(result.showConfiguredBar);
    EXPECT_FALSE(result.command);
    EXPECT_EQ(s.BarPosition, kBarBottom);
}

TEST_F(OptionsTest, StartWithWindowsAndSendToShowWhatIsThereAndChangeItAtApply) {
    atHand.runValue = true;
    options.Load(s, atHand);
    EXPECT_TRUE(options.StartWithWindows());
    EXPECT_FALSE(options.SendTo());
    options.TickStartWithWindows(false);
    options.TickSendTo(true);
    EXPECT_TRUE(options.ApplyEnabled());
    EXPECT_TRUE(atHand.log.empty());  // a wish until Apply (Cancel keeps the value)
    options.Apply(s);
    options.TickStartWithWindows(true);
    options.Ok(s);
    EXPECT_THAT(atHand.log, ::testing::ElementsAre("run off", "send to on", "run on"));
    EXPECT_TRUE(atHand.runValue);
    EXPECT_TRUE(atHand.sendToLink);

    // A refused write: the boxes show what is still there.
    atHand.refuse = true;
    options.TickStartWithWindows(false);
    options.TickSendTo(false);
    options.Apply(s);
    EXPECT_TRUE(options.StartWithWindows());
    EXPECT_TRUE(options.SendTo());
    // Apply writes only what differs from the registry.
    atHand.log.clear();
    options.Click(kOptTop);
    options.Apply(s);
    EXPECT_TRUE(atHand.log.empty());
}

TEST_F(OptionsTest, TheHotkeyIsTakenAtApplyOrTheDialogSaysWhyNot) {
    EXPECT_EQ(options.Hotkey(), kDefaultHotkey);
    EXPECT_EQ(options.HotkeyStatus(), "");

    options.ChooseHotkey(KeyChord{kModWin, 'L'});
    EXPECT_NE(options.HotkeyStatus(), "");  // said at once, while choosing
    options.Apply(s);
    EXPECT_TRUE(options.HotkeyRefused());
    EXPECT_EQ(s.Hotkey, kDefaultHotkey);
    EXPECT_TRUE(atHand.log.empty());

    // Another program's chord: kept as the setting, the bar runs without.
    options.ChooseHotkey(atHand.held);
    options.Apply(s);
    EXPECT_TRUE(options.HotkeyRefused());
    EXPECT_EQ(options.HotkeyStatus(), "This hotkey is in use by another program.");
    EXPECT_EQ(s.Hotkey, atHand.held);

    // Opened again, it says so; an Apply of something else tries the chord
    // again without refusing anything.
    options.Load(s, atHand);
    EXPECT_EQ(options.HotkeyStatus(), "This hotkey is in use by another program.");
    options.Click(kOptTop);
    options.Apply(s);
    EXPECT_FALSE(options.HotkeyRefused());

    options.ChooseHotkey(KeyChord{kModCtrl | kModShift, 0x20});
    options.Ok(s);
    EXPECT_FALSE(options.HotkeyRefused());
    EXPECT_EQ(options.HotkeyStatus(), "");
    options.ChooseHotkey(KeyChord{});  // none: no hotkey at all
    options.Apply(s);
    EXPECT_TRUE(s.Hotkey.None());
    EXPECT_THAT(atHand.log, ::testing::ElementsAre("hotkey Ctrl+Alt+T", "hotkey Ctrl+Alt+T",
                                                   "hotkey Ctrl+Shift+Space", "hotkey "));
}

TEST(OptionsTabs, CtrlTabWrapsAndAutoLoadFoldersAreInOrder) {
    EXPECT_EQ(OptionsState::NextTab(1, 2), 2);
    EXPECT_EQ(OptionsState::NextTab(2, 2), 1);
    EXPECT_EQ(OptionsState::AutoLoadFolders(0), (std::vector<int32_t>{23, 2}));
    EXPECT_EQ(OptionsState::AutoLoadFolders(4), (std::vector<int32_t>{16, 25}));
    EXPECT_TRUE(OptionsState::AutoLoadFolders(5).empty());
}

}  // namespace
}  // namespace lark::test
