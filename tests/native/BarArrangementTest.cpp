#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeBar.h"
#include "Fakes.h"
#include "FakeShell.h"
#include "bar/BarArrangement.h"
#include "bar/DockedInput.h"
#include "bar/Launch.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

class FakeFloating : public IFloatingBar {
public:
    int32_t TopTwips() const override { return top; }
    int32_t LeftTwips() const override { return left; }
    int32_t HeightTwips() const override { return height; }
    void MoveTo(int32_t l, int32_t t) override {
        left = l;
        top = t;
    }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    WindowPlacement Placement() const override { return placement; }
    void EnableMoveTimer(bool enabled) override { timer = enabled; }

    int32_t top = 4500, left = 3000, height = 1100;
    bool visible = true;
    bool timer = true;
    WindowPlacement placement;
};

class FakeDocked : public IDockedBar {
public:
    int32_t TopTwips() const override { return y * 15; }
    int32_t LeftTwips() const override { return x * 15; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void Place(int32_t px, int32_t py, int32_t w, int32_t h, Flags) override {
        x = px;
        y = py;
        width = w;
        height = h;
    }
    void MakeTopmost() override { topmost = true; }
    void DropTopmost() override { topmost = false; }
    void EnableHideTimer(bool enabled) override { timer = enabled; }
    int32_t WidthTwips() const override { return width * 15; }
    int32_t HeightTwips() const override { return height * 15; }
    void SetPlacement(const WindowPlacement& p) override {
        placed = p;
        x = p.normalPosition.left;
        y = p.normalPosition.top;
    }

    WindowPlacement placed;
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool visible = false, topmost = false, timer = false;
};

class ArrangementTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.ScreenWidthPx = 1024;
        s.ScreenHeightPx = 768;
        s.TwipsPerPixelX = s.TwipsPerPixelY = 15;
        s.BarPosition = kBarFloating;
        s.IconSize = 0;
        s.AppBarInfo.hWnd = 0xD0C;
    }
    void DockAt(int32_t code, bool autoHide) {
        s.AutoHideOn = autoHide;
        s.BarPosition = code;
        arrangement.ShowConfiguredBar();
    }

    AppState s;
    FakeFloating floating;
    FakeDocked docked;
    FakeShell shell;
    FakeEdgeTaken edgeTaken;
    FakeEvents events;
    FakePointer pointer;
    FakeMessageBox box;
    ErrorReporter errors{box, pointer};
    BarArrangement arrangement{s, floating, docked, shell, edgeTaken, events, pointer, errors};
};

TEST_F(ArrangementTest, TheVerticalPositionChoosesTheCode) {
    arrangement.ChooseBarPosition(398);
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_TRUE(s.DockStateChanged);
    arrangement.ChooseBarPosition(400);
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_FALSE(s.DockStateChanged);  // top to top
    arrangement.ChooseBarPosition(402);
    EXPECT_EQ(s.BarPosition, kBarFloating);
    EXPECT_EQ(s.PreviousBarPosition, kBarTop);
    EXPECT_TRUE(s.DockStateChanged);
    // 11520 twips of screen, a 1350-twip window: the bottom begins at 9770.
    floating.height = 1350;
    arrangement.ChooseBarPosition(9769);
    EXPECT_EQ(s.BarPosition, kBarFloating);
    arrangement.ChooseBarPosition(9770);
    EXPECT_EQ(s.BarPosition, kBarBottom);
    EXPECT_FALSE(pointer.busy);
}

TEST_F(ArrangementTest, TheConfiguredCodeIsReachedThroughASyntheticPosition) {
    for (int32_t foreign : {3, 4, 0, 7}) {
        s.BarPosition = foreign;
        arrangement.ShowConfiguredBar();
        EXPECT_EQ(s.BarPosition, kBarFloating) << foreign;
        EXPECT_TRUE(floating.visible);
        EXPECT_TRUE(floating.timer);
    }
    // A floating window so tall that 402 twips plus its height reaches the
    // bottom zone docks at the bottom.
    floating.height = 11520 - 400 - 402;
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(s.BarPosition, kBarBottom);
}

TEST_F(ArrangementTest, TheMoveTimerOnlyReactsToRealMoves) {
    s.FloatLastTop = 4500;
    s.FloatLastLeft = -300;
    floating.placement.normalPosition = RectPx{20, 301, 520, 374};  // 300 / 4515 twips: one pixel off
    arrangement.FloatTimerTick();
    EXPECT_TRUE(floating.timer);
    EXPECT_EQ(s.FloatLastLeft, -300);
    EXPECT_EQ(s.BarPlacement.normalPosition.top, 301);

    floating.placement.normalPosition = RectPx{22, 302, 522, 375};  // two pixels: moved
    floating.top = 302 * 15;
    floating.left = 22 * 15;
    arrangement.FloatTimerTick();
    EXPECT_EQ(s.BarPosition, kBarFloating);
    EXPECT_EQ(s.FloatLastTop, 302 * 15);
    EXPECT_TRUE(floating.timer);

    floating.placement.normalPosition = RectPx{22, 26, 522, 99};  // 390 twips: docks at the top
    arrangement.FloatTimerTick();
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_FALSE(floating.timer);
    EXPECT_FALSE(floating.visible);
    EXPECT_TRUE(docked.visible);
}

TEST_F(ArrangementTest, ThicknessFollowsTheIconSizeAndTheDpi) {
    EXPECT_EQ(BarArrangement::Thickness(0, 15, 0), 70);
    EXPECT_EQ(BarArrangement::Thickness(1, 15, 0), 53);
    EXPECT_EQ(BarArrangement::Thickness(0, 12, 0), 87);
    EXPECT_EQ(BarArrangement::Thickness(1, 12, 0), 66);
    EXPECT_EQ(BarArrangement::Thickness(5, 15, 61), 61);
}

TEST_F(ArrangementTest, AFixedTopBarReservesItsRowsAndIsTopmost) {
    DockAt(kBarTop, false);
    EXPECT_THAT(shell.log, ElementsAre("NEW", "SETPOS edge 1"));
    EXPECT_EQ(shell.reserved[0xD0C].bottom, 70);
    EXPECT_EQ(docked.y, 0);
    EXPECT_EQ(docked.height, 70);
    EXPECT_EQ(docked.width, 1024);
    EXPECT_TRUE(docked.visible);
    EXPECT_TRUE(docked.topmost);
    EXPECT_FALSE(floating.visible);
    EXPECT_FALSE(floating.timer);
    EXPECT_EQ(s.BarRight, 1024);
}

TEST_F(ArrangementTest, AutoHideBarsKeepAFourPixelStrip) {
    DockAt(kBarTop, true);
    EXPECT_EQ(docked.y, -70);
    EXPECT_EQ(docked.height, 74);
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_EQ(s.AutoHideBarWindow, 0xD0Cu);
    EXPECT_EQ(shell.reserved[0xD0C].bottom, 4);

    arrangement.ChooseBarPosition(11000);  // dragged to the bottom
    arrangement.ArrangeBar(false);
    EXPECT_EQ(docked.y, 764);
    EXPECT_EQ(docked.height, 74);
    EXPECT_EQ(shell.autoHide.count(1), 0u);  // the top edge was given back
    EXPECT_EQ(shell.autoHide.at(3), 0xD0Cu);
}

TEST_F(ArrangementTest, AShellThatAnswersNothingStillGetsItsAutoHideEdgeBack) {
    shell.answerNothing = true;
    DockAt(kBarTop, true);
    EXPECT_EQ(s.AutoHideBarWindow, 0xD0Cu);
    arrangement.ChooseBarPosition(11000);
    arrangement.ArrangeBar(false);
    EXPECT_EQ(shell.autoHide.count(1), 0u);
}

TEST_F(ArrangementTest, AnEdgeWithAnotherAutoHideBarGivesAFixedBarAndTheMessageOnce) {
    shell.autoHide[3] = 0xBEEF;
    DockAt(kBarBottom, true);
    EXPECT_FALSE(s.AutoHideOn);
    EXPECT_EQ(docked.y, 768 - 70);
    EXPECT_EQ(docked.height, 70);
    EXPECT_EQ(edgeTaken.shown, 1);
    EXPECT_EQ(events.calls, 1);  // pending messages ran before the window showed
    EXPECT_EQ(shell.autoHide.at(3), 0xBEEFu);
}

TEST_F(ArrangementTest, ARefusalForAnotherReasonGivesAFixedBarWithoutMessage) {
    shell.refuse = true;
    DockAt(kBarTop, true);
    EXPECT_FALSE(s.AutoHideOn);
    EXPECT_EQ(docked.height, 70);
    EXPECT_EQ(edgeTaken.shown, 0);
}

TEST_F(ArrangementTest, AFixedBottomBarSitsAboveWhatTheShellKeeps) {
    shell.taskbarRows = 30;
    s.IconSize = 1;
    DockAt(kBarBottom, false);
    EXPECT_EQ(docked.y, 768 - 30 - 53);
    EXPECT_EQ(docked.height, 53);
}

TEST_F(ArrangementTest, MovingToTheOtherEdgeUnregistersFirst) {
    DockAt(kBarTop, false);
    shell.log.clear();
    arrangement.ChooseBarPosition(11000);
    arrangement.ArrangeBar(false);
    EXPECT_THAT(shell.log, ElementsAre("REMOVE", "NEW", "SETPOS edge 3"));
}

TEST_F(ArrangementTest, AForcedArrangementRegistersAgainOnTheSameEdge) {
    DockAt(kBarTop, true);
    shell.log.clear();
    s.AutoHideOn = false;  // the Fixed command
    arrangement.ArrangeBar(true);
    EXPECT_THAT(shell.log, ElementsAre("SETAUTOHIDEBAR edge 1 off", "REMOVE", "NEW", "SETPOS edge 1"));
    EXPECT_EQ(docked.height, 70);
    EXPECT_TRUE(shell.autoHide.empty());
}

TEST_F(ArrangementTest, FloatingAgainPutsTheWindowWhereTheDockedBarWas) {
    DockAt(kBarTop, false);
    docked.x = 200;
    docked.y = 300;
    shell.log.clear();
    arrangement.ChooseBarPosition(300 * 15);
    arrangement.ArrangeBar(false);
    EXPECT_EQ(floating.left, 3000);
    EXPECT_EQ(floating.top, 4500);
    EXPECT_TRUE(floating.visible);
    EXPECT_FALSE(docked.visible);
    EXPECT_THAT(shell.log, ElementsAre("REMOVE"));
    EXPECT_EQ(s.FloatLastTop, 4500);
    EXPECT_TRUE(floating.timer);
}

TEST_F(ArrangementTest, AConfiguredChangeComesFromWhatTheScreenShows) {
    // The Options dialog stores the new code first, then asks for it.
    DockAt(kBarTop, true);
    shell.log.clear();
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    EXPECT_TRUE(floating.visible);
    EXPECT_FALSE(docked.visible);
    EXPECT_THAT(shell.log, ElementsAre("SETAUTOHIDEBAR edge 1 off", "REMOVE"));
    EXPECT_TRUE(shell.autoHide.empty());

    DockAt(kBarTop, true);
    shell.log.clear();
    s.BarPosition = kBarBottom;
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(shell.autoHide.count(1), 0u);
    EXPECT_EQ(shell.autoHide.at(3), 0xD0Cu);
    EXPECT_EQ(docked.y, 764);
}

TEST_F(ArrangementTest, TheShellsNewsIsAnsweredOnTheEdge) {
    DockAt(kBarBottom, false);
    arrangement.OnDisplayChanged(1280, 1024);
    EXPECT_EQ(docked.y, 1024 - 70);
    EXPECT_EQ(docked.width, 1280);
    shell.registered.clear();  // a restarted shell knows no appbar
    arrangement.OnShellRestarted();
    EXPECT_EQ(shell.registered.count(0xD0C), 1u);
    arrangement.OnFullScreenApp(true);
    EXPECT_FALSE(docked.topmost);
    arrangement.OnFullScreenApp(false);
    EXPECT_TRUE(docked.topmost);
}

class FakeCursor : public ICursor {
public:
    PointPx Position() override { return at; }
    PointPx at;
};

class DockedInputTest : public ArrangementTest {
protected:
    FakeCursor cursor;
    DockedInput input{s, docked, cursor, arrangement, errors};
};

TEST_F(DockedInputTest, AnAutoHiddenTopBarShowsUnderTheMouseAndHidesPastItsRows) {
    DockAt(kBarTop, true);
    ASSERT_EQ(docked.y, -70);
    input.Reveal();
    EXPECT_EQ(docked.y, 0);
    EXPECT_EQ(docked.height, 70);
    EXPECT_TRUE(docked.timer);
    cursor.at = {500, 70};
    input.HideTimerTick();
    EXPECT_EQ(docked.y, 0);  // still on its last row
    cursor.at = {1500, 30};
    input.HideTimerTick();
    EXPECT_EQ(docked.y, 0);  // sideways off the bar, within its rows
    cursor.at = {500, 71};
    input.HoldShown(true);  // the bar has the keyboard: it stays
    input.HideTimerTick();
    EXPECT_EQ(docked.y, 0);
    EXPECT_TRUE(docked.timer);
    input.HoldShown(false);
    input.HideTimerTick();
    EXPECT_EQ(docked.y, -70);
    EXPECT_EQ(docked.height, 74);
    EXPECT_FALSE(docked.timer);
}

TEST_F(DockedInputTest, AShownBarIsLeftAloneAndFixedBarsIgnoreTheMouse) {
    DockAt(kBarTop, true);
    input.Reveal();
    docked.timer = false;
    input.Reveal();  // top exactly 0: shown already
    EXPECT_FALSE(docked.timer);

    DockAt(kBarTop, false);
    const int32_t y = docked.y;
    input.Reveal();
    EXPECT_EQ(docked.y, y);
    EXPECT_FALSE(docked.timer);
}

TEST_F(DockedInputTest, TheBottomBarSlidesUpAndDownAgain) {
    s.AutoHideOn = true;
    s.BarPosition = kBarBottom;
    arrangement.ShowConfiguredBar();
    ASSERT_EQ(docked.y, 764);
    input.Reveal();
    EXPECT_EQ(docked.y, 768 - 70);
    cursor.at = {10, 697};
    input.HideTimerTick();
    EXPECT_EQ(docked.y, 764);
}

TEST_F(DockedInputTest, FivePixelsIsAClickSixADrag) {
    DockAt(kBarTop, false);
    cursor.at = {100, 20};
    input.TabMouseDown();
    cursor.at = {105, 25};
    input.TabMouseUp(1);
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_TRUE(docked.visible);

    cursor.at = {106, 20};
    input.TabMouseUp(1);
    // Dropped 20 pixels down (300 twips): still the top edge, arranged again.
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_EQ(docked.placed.normalPosition.left, 106);
    EXPECT_EQ(docked.placed.normalPosition.right, 106 + 1024);
}

TEST_F(DockedInputTest, ADropInTheMiddleFloatsTheBarThere) {
    DockAt(kBarTop, false);
    cursor.at = {100, 20};
    input.TabMouseDown();
    cursor.at = {300, 400};
    input.TabMouseUp(4);  // the middle button drags too
    EXPECT_EQ(s.BarPosition, kBarFloating);
    EXPECT_FALSE(docked.visible);
    EXPECT_TRUE(floating.visible);
    EXPECT_EQ(floating.left, 300 * 15);
    EXPECT_EQ(floating.top, 400 * 15);
    EXPECT_THAT(shell.log, ::testing::Contains("REMOVE"));
}

TEST_F(DockedInputTest, TheRightButtonNeverDrags) {
    DockAt(kBarTop, false);
    cursor.at = {100, 20};
    input.TabMouseDown();
    cursor.at = {300, 400};
    input.TabMouseUp(DockedInput::kRightButton);
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_TRUE(docked.visible);
}

class FakeLauncher : public IShellLauncher {
public:
    void Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                 const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                 int show) override {
        calls.push_back({owner, verb, file, parameters, directory, show});
    }
    struct Call {
        uintptr_t owner;
        std::optional<std::string> verb;
        std::string file;
        std::optional<std::string> parameters;
        std::optional<std::string> directory;
        int show;
    };
    std::vector<Call> calls;
};

TEST(Launching, ArgumentsAndVerbsPerWindow) {
    FakeLauncher shell;
    LaunchButton(shell, BarKind::Floating, ButtonTag{"C:\\app.exe", ""});
    LaunchButton(shell, BarKind::Docked, ButtonTag{"C:\\Program Files\\ed.exe", "/r \"C:\\n.txt\""});
    LaunchButton(shell, BarKind::Floating, ButtonTag{"http://example.com/?q=1", ""});
    ASSERT_EQ(shell.calls.size(), 3u);
    EXPECT_FALSE(shell.calls[0].verb.has_value());  // the target's default verb
    EXPECT_FALSE(shell.calls[0].parameters.has_value());
    EXPECT_FALSE(shell.calls[0].directory.has_value());
    EXPECT_EQ(shell.calls[0].show, kShowNormal);
    EXPECT_EQ(shell.calls[0].owner, 0u);
    EXPECT_EQ(shell.calls[1].verb, "open");
    EXPECT_EQ(shell.calls[1].parameters, "/r \"C:\\n.txt\"");
    EXPECT_EQ(shell.calls[2].file, "http://example.com/?q=1");

    OpenWithShell(shell, 0x42, "http://brindlewick.example/");
    EXPECT_EQ(shell.calls[3].verb, "open");
    EXPECT_EQ(shell.calls[3].owner, 0x42u);
    EXPECT_EQ(shell.calls[3].parameters, "");
    EXPECT_EQ(shell.calls[3].show, kShow);

    LaunchButtonElevated(shell, ButtonTag{"C:\\Tools\\setup.cmd", "/q"});
    EXPECT_EQ(shell.calls[4].verb, "runas");
    EXPECT_EQ(shell.calls[4].parameters, "/q");
    EXPECT_EQ(shell.calls[4].show, kShowNormal);
    for (const char* runnable : {"C:\\app.exe", "x.BAT", "C:\\a b\\tool.Cmd", "C:\\Links\\Ed.lnk", "compmgmt.msc"})
        EXPECT_TRUE(OffersRunAsAdministrator(ButtonTag{runnable, ""})) << runnable;
    for (const char* other : {"C:\\Docs\\a.txt", "C:\\Tools", "C:\\v1.2\\tools", "http://host/setup.exe", "notepad"})
        EXPECT_FALSE(OffersRunAsAdministrator(ButtonTag{other, ""})) << other;
}

}  // namespace
}  // namespace lark::test
