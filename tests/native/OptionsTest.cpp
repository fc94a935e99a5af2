#include <gtest/gtest.h>

#include "dialogs/OptionsState.h"

namespace lark::test {
namespace {

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.BarPosition = kBarFloating;
        s.IconSize = 1;
        s.AutoHideOn = false;
        options.Load(s);
    }
    AppState s;
    OptionsState options;
};

TEST_F(OptionsTest, LoadShowsTheSettingsAndLeavesApplyOff) {
    EXPECT_TRUE(options.Selected(kOptFloat));
    EXPECT_TRUE(options.Selected(kOptFixed));
    EXPECT_TRUE(options.Selected(kOptSmall));
    EXPECT_FALSE(options.ApplyEnabled());
    s.BarPosition = 4;  // unknown codes and sizes show as Float and Large
    s.IconSize = 9;
    s.AutoHideOn = true;
    options.Load(s);
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

    options.Load(s);  // AutoHideOn is still false: the command did not run here
    options.Click(kOptAutoHide);
    options.Apply(s);
    options.Click(kOptFixed);
    options.Click(kOptAutoHide);
    options.Apply(s);  // already true: nothing changed by this Apply
    EXPECT_FALSE(options.Ok(s).command);
}

TEST_F(OptionsTest, FixedRunsTheFixedCommand) {
    s.AutoHideOn = true;
    options.Load(s);
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

TEST_F(OptionsTest, ASecondOpeningChangesNothing) {
    options.Click(kOptBottom);
    options.Click(kOptAutoHide);
    options.Ok(s);
    s.AutoHideOn = true;  // what the command did
    options.Load(s);
    const OptionsState::OkResult result = options.Ok(s);
    EXPECT_FALSE(result.showConfiguredBar);
    EXPECT_FALSE(result.command);
    EXPECT_EQ(s.BarPosition, kBarBottom);
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
