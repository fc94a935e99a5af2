#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeBar.h"
#include "Fakes.h"
#include "FakeShell.h"
#include "bar/AccessibleChildren.h"
#include "bar/BarArrangement.h"
#include "bar/ButtonRows.h"
#include "bar/DockedInput.h"
#include "bar/Launch.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

class FakeCursor : public ICursor {
public:
    PointPx Position() override { return at; }
    PointPx at;
};

class ArrangementTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.ScreenWidthPx = 1024;
        s.ScreenHeightPx = 768;
        s.BarMonitor = monitors.list.front();
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
    FakeMonitors monitors;
    FakeEdgeTaken edgeTaken;
    FakeEvents events;
    FakePointer pointer;
    FakeMessageBox box;
    ErrorReporter errors{box, pointer};
    BarArrangement arrangement{s, floating, docked, shell, monitors, edgeTaken, events, pointer, errors};
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
    floating.rect.bottom = floating.rect.top + 90;
    arrangement.ChooseBarPosition(9769);
    EXPECT_EQ(s.BarPosition, kBarFloating);
    arrangement.ChooseBarPosition(9770);
    EXPECT_EQ(s.BarPosition, kBarBottom);
    EXPECT_FALSE(pointer.busy);
}

TEST_F(ArrangementTest, TheHorizontalPositionChoosesAColumnWhereNoRowIsChosen) {
    // 15360 twips of screen, a 7500-twip window: the right begins at 7460.
    arrangement.ChooseBarPosition(400, 3000);
    EXPECT_EQ(s.BarPosition, kBarLeft);
    EXPECT_TRUE(s.DockStateChanged);
    arrangement.ChooseBarPosition(-900, 3000);  // partly off the screen
    EXPECT_EQ(s.BarPosition, kBarLeft);
    EXPECT_FALSE(s.DockStateChanged);
    arrangement.ChooseBarPosition(402, 3000);
    EXPECT_EQ(s.BarPosition, kBarFloating);
    arrangement.ChooseBarPosition(7459, 3000);
    EXPECT_EQ(s.BarPosition, kBarFloating);
    arrangement.ChooseBarPosition(7460, 3000);
    EXPECT_EQ(s.BarPosition, kBarRight);
    // Corners belong to the rows.
    arrangement.ChooseBarPosition(0, 0);
    EXPECT_EQ(s.BarPosition, kBarTop);
    arrangement.ChooseBarPosition(9000, 11000);
    EXPECT_EQ(s.BarPosition, kBarBottom);
}

TEST_F(ArrangementTest, TheConfiguredCodeIsReachedThroughASyntheticPosition) {
    for (int32_t foreign : {0, 7, -3}) {
        s.BarPosition = foreign;
        arrangement.ShowConfiguredBar();
        EXPECT_EQ(s.BarPosition, kBarFloating) << foreign;
        EXPECT_TRUE(floating.visible);
        EXPECT_TRUE(floating.detecting);
    }
    // A floating window so tall that 402 twips plus its height reaches the
    // bottom zone docks at the bottom.
    floating.rect.bottom = floating.rect.top + (11520 - 400 - 402 + 14) / 15;
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(s.BarPosition, kBarBottom);
}

TEST_F(ArrangementTest, MoveDetectionComparesPositionsNotMagnitudes) {
    s.FloatLastTop = 4500;
    s.FloatLastLeft = 3000;
    floating.rect = RectPx{201, 301, 701, 374};  // one pixel off both ways: no move
    arrangement.FloatMoved();
    EXPECT_TRUE(floating.detecting);
    EXPECT_EQ(s.FloatLastLeft, 3000);
    EXPECT_EQ(s.BarPlacement.normalPosition.top, 301);

    // From -600 to 600 twips: the same distance from the left, a real move.
    s.FloatLastLeft = -600;
    floating.rect = RectPx{40, 301, 540, 374};
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarFloating);
    EXPECT_EQ(s.FloatLastLeft, 600);
    EXPECT_EQ(s.FloatLastTop, 301 * 15);
    EXPECT_TRUE(floating.detecting);

    floating.rect = RectPx{22, 26, 522, 99};  // 390 twips: docks at the top
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_FALSE(floating.detecting);
    EXPECT_FALSE(floating.visible);
    EXPECT_TRUE(docked.visible);
    EXPECT_FALSE(docked.column);

    // Floating again, then moved to 390 twips from the left: a column there.
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    floating.rect = RectPx{26, 300, 526, 373};
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarLeft);
    EXPECT_TRUE(docked.column);
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 0, 70, 768}));
}

TEST(Scale, TwipsAndPicturesAtEveryCommonDpi) {
    struct Row {
        int32_t dpi;
        int32_t largeBar, smallBar;      // 1050 and 800 twips, fraction dropped
        int32_t smallPicture, largePicture;
        int32_t widthPx;                 // 7500 twips
    };
    const Row rows[] = {{96, 70, 53, 16, 32, 500},
                        {120, 87, 66, 20, 40, 625},
                        {144, 105, 80, 24, 48, 750},
                        {168, 122, 93, 24, 48, 875},
                        {192, 140, 106, 32, 64, 1000}};
    for (const Row& r : rows) {
        const TwipsPerPixel scale(r.dpi);
        EXPECT_EQ(BarArrangement::Thickness(0, scale, 0), r.largeBar) << r.dpi;
        EXPECT_EQ(BarArrangement::Thickness(1, scale, 0), r.smallBar) << r.dpi;
        EXPECT_EQ(BarArrangement::Thickness(5, scale, 61), 61) << r.dpi;
        EXPECT_EQ(PictureSizePx(false, r.dpi), r.smallPicture) << r.dpi;
        EXPECT_EQ(PictureSizePx(true, r.dpi), r.largePicture) << r.dpi;
        EXPECT_EQ(scale.Pixels(7500), r.widthPx) << r.dpi;
        // A place saved in twips comes back to the same pixel, at every
        // pixel, on either side of the origin.
        for (int32_t px : {-1917, -1, 0, 1, 3, 7, 1023, 2560})
            EXPECT_EQ(scale.NearestPixels(scale.Twips(px)), px) << r.dpi << " " << px;
    }
    // Exact, not rounded: at 175 % a rounded 9 twips per pixel made a
    // 5760-twip place 640 pixels instead of 672.
    EXPECT_EQ(TwipsPerPixel(168).Pixels(5760), 672);
    EXPECT_EQ(TwipsPerPixel(168).Twips(1), 9);  // 8.57 rounds up
    EXPECT_EQ(TwipsPerPixel(192).Twips(3), 22);  // 22.5, halves to even
    EXPECT_EQ(ScalePx(22, 144), 33);
    EXPECT_THROW(TwipsPerPixel(0), RuntimeError);
}

TEST(ButtonRows, WhatFitsAFloatingBarAtEveryCommonDpiAndSize) {
    struct Row {
        int32_t dpi;
        bool large;
        size_t perRow, besideChevron;  // of a 7500-twip window
        int32_t oneRowPx, twoRowsPx;     // its height
    };
    const Row rows[] = {{96, false, 21, 21, 73, 95},   {96, true, 12, 12, 90, 128},  {120, false, 21, 20, 91, 119},
                        {144, false, 22, 21, 110, 143}, {144, true, 12, 12, 135, 192}, {168, false, 24, 23, 128, 162},
                        {192, false, 21, 21, 146, 190}, {192, true, 12, 12, 180, 256}};
    for (const Row& r : rows) {
        const int32_t iconSize = r.large ? 0 : 1;
        const ToolbarMetrics m = MeasureToolbar(r.dpi, PictureSizePx(r.large, r.dpi));
        const int32_t width = TwipsPerPixel(r.dpi).Pixels(7500);
        // A full row needs no chevron; one button more and the chevron
        // takes the end of the row.
        ButtonRows fit = FitButtons(r.perRow, width, 1, m);
        EXPECT_EQ(fit.shown, r.perRow) << r.dpi;
        EXPECT_FALSE(fit.chevron) << r.dpi;
        fit = FitButtons(r.perRow + 1, width, 1, m);
        EXPECT_TRUE(fit.chevron) << r.dpi;
        EXPECT_EQ(fit.shown, r.besideChevron) << r.dpi;
        // Two rows: the first full and broken after its last button.
        fit = FitButtons(60, width, 2, m);
        EXPECT_EQ(fit.shown, r.perRow + r.besideChevron) << r.dpi;
        EXPECT_TRUE(fit.EndsRow(r.perRow - 1)) << r.dpi;
        EXPECT_FALSE(fit.EndsRow(r.perRow)) << r.dpi;
        EXPECT_FALSE(fit.EndsRow(fit.shown - 1)) << r.dpi;
        // The window's height holds whole rows, never less than one.
        EXPECT_EQ(BarArrangement::FloatingHeightPx(iconSize, r.dpi, 1), r.oneRowPx) << r.dpi;
        EXPECT_EQ(BarArrangement::FloatingHeightPx(iconSize, r.dpi, 2), r.twoRowsPx) << r.dpi;
        EXPECT_EQ(BarArrangement::FloatingRows(iconSize, r.dpi, r.twoRowsPx + 3), 2) << r.dpi;
        EXPECT_EQ(BarArrangement::FloatingRows(iconSize, r.dpi, r.twoRowsPx - 3), 2) << r.dpi;
        EXPECT_EQ(BarArrangement::FloatingRows(iconSize, r.dpi, r.oneRowPx + 2), 1) << r.dpi;
        EXPECT_EQ(BarArrangement::FloatingRows(iconSize, r.dpi, 0), 1) << r.dpi;
    }
}

TEST(ButtonRows, NoneOneRowOrAllAndTheWindowTheKeyboardMoves) {
    const ToolbarMetrics m = MeasureToolbar(96, 16);
    EXPECT_EQ(m.buttonWidth, 23);
    EXPECT_EQ(m.buttonHeight, 22);
    EXPECT_EQ(m.chevronWidth, 14);
    ButtonRows fit = FitButtons(0, 500, 3, m);
    EXPECT_EQ(fit.shown, 0u);
    EXPECT_FALSE(fit.chevron);
    // Too narrow for a button beside the chevron: all behind it.
    fit = FitButtons(3, 30, 1, m);
    EXPECT_EQ(fit.shown, 0u);
    EXPECT_TRUE(fit.chevron);
    EXPECT_TRUE(FitButtons(1, 0, 1, m).chevron);
    // Exactly one row, then the chevron.
    EXPECT_EQ(FitButtons(4, 92, 1, m).shown, 4u);
    fit = FitButtons(5, 92, 1, m);
    EXPECT_EQ(fit.shown, 3u);
    EXPECT_TRUE(fit.Shows(2));
    EXPECT_FALSE(fit.Shows(3));

    // The keyboard moves the window as little as it must.
    const std::vector<int32_t> plain(60, m.buttonWidth);
    fit = FitButtons(60, 500, 1, m);
    EXPECT_EQ(ScrollToShow(fit, plain, 500, 1, m, 20), 0u);
    EXPECT_EQ(ScrollToShow(fit, plain, 500, 1, m, 59), 39u);
    fit = FitButtons(60, 500, 1, m, 39);
    EXPECT_TRUE(fit.Shows(59));
    EXPECT_FALSE(fit.Shows(38));
    EXPECT_EQ(ScrollToShow(fit, plain, 500, 1, m, 10), 10u);
    // Wider, it starts earlier rather than leave room unused; with room
    // for all, at the first.
    EXPECT_EQ(FitButtons(60, 1000, 1, m, 39).first, 18u);
    EXPECT_EQ(FitButtons(30, 1000, 1, m, 10).first, 0u);
}

TEST(ButtonRows, SplitButtonsTakeTheirArrowsRoomInTheRow) {
    const ToolbarMetrics m = MeasureToolbar(96, 16);  // 23 wide, chevron 14
    const int32_t split = m.buttonWidth + 11;
    // Four plain buttons fill 92 pixels; with one split among them the
    // last goes behind the chevron rather than be cut off.
    std::vector<int32_t> widths(4, m.buttonWidth);
    EXPECT_EQ(FitButtons(widths, 92, 1, m).shown, 4u);
    widths[1] = split;
    ButtonRows fit = FitButtons(widths, 92, 1, m);
    EXPECT_TRUE(fit.chevron);
    EXPECT_EQ(fit.shown, 2u);  // 23 + 34 fit beside the chevron's 14, a third does not
    // Rows break where the next button no longer fits, not after a count
    // (three plain ones would fit 80 pixels).
    widths = {split, split, m.buttonWidth, m.buttonWidth};
    fit = FitButtons(widths, 80, 2, m);
    EXPECT_FALSE(fit.chevron);
    EXPECT_EQ(fit.shown, 4u);
    EXPECT_TRUE(fit.EndsRow(1));  // 34 + 34, and 23 more would pass 80
    EXPECT_FALSE(fit.EndsRow(2));
    EXPECT_FALSE(fit.EndsRow(3));  // the last
    // The keyboard's window, with the widths as they are.
    widths.assign(20, m.buttonWidth);
    widths[18] = split;
    fit = FitButtons(widths, 92, 1, m);
    EXPECT_EQ(fit.shown, 3u);
    const size_t first = ScrollToShow(fit, widths, 92, 1, m, 19);
    fit = FitButtons(widths, 92, 1, m, first);
    EXPECT_TRUE(fit.Shows(19));
    EXPECT_TRUE(fit.Shows(18));
    EXPECT_EQ(fit.first, 18u);  // 34 + 23 beside the chevron; 17 would not fit as well
}

// The chevron is read as one more child after the toolbar's buttons.
TEST(AccessibleChildren, TheDrawnElementsComeAfterTheSystemsChildren) {
    EXPECT_EQ(WhichChild(0, 3, 1).kind, ChildKind::Self);
    EXPECT_EQ(WhichChild(3, 3, 1).kind, ChildKind::Standard);
    EXPECT_EQ(WhichChild(3, 3, 1).number, 3);
    EXPECT_EQ(WhichChild(4, 3, 1).kind, ChildKind::Drawn);
    EXPECT_EQ(WhichChild(4, 3, 1).number, 1);
    EXPECT_EQ(WhichChild(1, 0, 1).kind, ChildKind::Drawn);  // a proxy that lists no buttons
    // Beyond the last, below the first, or a chevron that is not shown.
    EXPECT_EQ(WhichChild(5, 3, 1).kind, ChildKind::None);
    EXPECT_EQ(WhichChild(-1, 3, 1).kind, ChildKind::None);
    EXPECT_EQ(WhichChild(4, 3, 0).kind, ChildKind::None);
}

TEST_F(ArrangementTest, AFixedTopBarReservesItsRowsAndIsTopmost) {
    DockAt(kBarTop, false);
    EXPECT_THAT(shell.log, ElementsAre("NEW", "QUERYPOS edge 1", "SETPOS edge 1"));
    EXPECT_EQ(shell.reserved[0xD0C].bottom, 70);
    EXPECT_EQ(docked.y, 0);
    EXPECT_EQ(docked.height, 70);
    EXPECT_EQ(docked.width, 1024);
    EXPECT_TRUE(docked.visible);
    EXPECT_TRUE(docked.topmost);
    EXPECT_FALSE(floating.visible);
    EXPECT_FALSE(floating.detecting);
    EXPECT_EQ(s.BarRight, 1024);

    // Small pictures chosen in Options: the same edge, thinner at once.
    s.IconSize = 1;
    arrangement.IconSizeChanged();
    EXPECT_EQ(docked.height, 53);
    EXPECT_EQ(shell.reserved[0xD0C].bottom, 53);
    EXPECT_EQ(s.BarPosition, kBarTop);
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

TEST_F(ArrangementTest, TheShellsAnswerToTheProposalPlacesTheBar) {
    // A taskbar on each edge: the shell moves each proposal off it, and the
    // bar keeps its own thickness from there.
    shell.Take(3, RectPx{0, 738, 1024, 768});
    shell.Take(1, RectPx{0, 0, 1024, 40});
    s.IconSize = 1;
    DockAt(kBarBottom, false);
    EXPECT_THAT(shell.log, ElementsAre("NEW", "QUERYPOS edge 3", "SETPOS edge 3"));
    EXPECT_EQ(docked.y, 768 - 30 - 53);
    EXPECT_EQ(docked.height, 53);
    EXPECT_EQ(s.BarEdge, 738);

    DockAt(kBarTop, true);
    EXPECT_EQ(shell.reserved[0xD0C].top, 40);
    EXPECT_EQ(shell.reserved[0xD0C].bottom, 44);
    EXPECT_EQ(docked.y, 40 - 53);  // hidden behind the taskbar but for its strip

    // Revealed and hidden again at the edge the shell gave, not at row 0.
    FakeCursor cursor;
    DockedInput input{s, docked, cursor, arrangement, errors};
    input.Reveal();
    EXPECT_EQ(docked.y, 40);
    cursor.at = {500, 200};
    input.HideTimerTick();
    EXPECT_EQ(docked.y, 40 - 53);
}

TEST_F(ArrangementTest, MovingToTheOtherEdgeUnregistersFirst) {
    DockAt(kBarTop, false);
    shell.log.clear();
    arrangement.ChooseBarPosition(11000);
    arrangement.ArrangeBar(false);
    EXPECT_THAT(shell.log, ElementsAre("REMOVE", "NEW", "QUERYPOS edge 3", "SETPOS edge 3"));
}

TEST_F(ArrangementTest, AForcedArrangementRegistersAgainOnTheSameEdge) {
    DockAt(kBarTop, true);
    shell.log.clear();
    s.AutoHideOn = false;  // the Fixed command
    arrangement.ArrangeBar(true);
    EXPECT_THAT(shell.log,
                ElementsAre("SETAUTOHIDEBAREX edge 1 off", "REMOVE", "NEW", "QUERYPOS edge 1", "SETPOS edge 1"));
    EXPECT_EQ(docked.height, 70);
    EXPECT_TRUE(shell.autoHide.empty());
}

TEST_F(ArrangementTest, FloatingAgainBringsTheWindowBackWhereItFloated) {
    floating.rect = RectPx{150, 200, 650, 273};
    DockAt(kBarTop, true);
    ASSERT_EQ(docked.y, -70);  // hidden: the docked bar's place is off screen
    shell.log.clear();
    s.BarPosition = kBarFloating;  // Options: Float
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(floating.rect.left, 150);
    EXPECT_EQ(floating.rect.top, 200);
    EXPECT_TRUE(floating.visible);
    EXPECT_FALSE(docked.visible);
    EXPECT_THAT(shell.log, ElementsAre("SETAUTOHIDEBAREX edge 1 off", "REMOVE"));
    EXPECT_EQ(s.FloatLastTop, 3000);
    EXPECT_TRUE(floating.detecting);

    // Where it floated before is on a monitor that has gone: it comes back
    // inside the work area of the one left.
    DockAt(kBarTop, false);
    floating.rect = RectPx{1500, -400, 2000, -327};
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(floating.rect.left, 1024 - 500);
    EXPECT_EQ(floating.rect.top, 0);
    EXPECT_EQ(s.FloatLastLeft, (1024 - 500) * 15);
}

TEST_F(ArrangementTest, AConfiguredChangeComesFromWhatTheScreenShows) {
    // The Options dialog stores the new code first, then asks for it.
    DockAt(kBarTop, true);
    shell.log.clear();
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    EXPECT_TRUE(floating.visible);
    EXPECT_FALSE(docked.visible);
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
    monitors.list = {FakeMonitors::Screen({0, 0, 1280, 1024})};
    arrangement.OnDisplayChanged();
    EXPECT_EQ(docked.y, 1024 - 70);
    EXPECT_EQ(docked.width, 1280);
    EXPECT_EQ(s.ScreenHeightPx, 1024);
    shell.registered.clear();  // a restarted shell knows no appbar
    arrangement.OnShellRestarted();
    EXPECT_EQ(shell.registered.count(0xD0C), 1u);
    arrangement.OnFullScreenApp(true);
    EXPECT_FALSE(docked.topmost);
    arrangement.OnFullScreenApp(false);
    EXPECT_TRUE(docked.topmost);

    // Only a registered bar tells the shell of its activation and moves.
    shell.log.clear();
    arrangement.OnDockActivated();
    arrangement.OnDockWindowPosChanged();
    EXPECT_THAT(shell.log, ElementsAre("ACTIVATE", "WINDOWPOSCHANGED"));
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    shell.log.clear();
    arrangement.OnDockActivated();
    arrangement.OnDockWindowPosChanged();
    EXPECT_TRUE(shell.log.empty());
}

TEST_F(ArrangementTest, AnAutoHideBarStaysAutoHideThroughDisplayAndDpiChangesAndShellRestarts) {
    DockAt(kBarTop, true);
    ASSERT_EQ(shell.autoHide.at(1), 0xD0Cu);
    shell.log.clear();
    arrangement.OnDisplayChanged();
    // Its own slot is given back before the shell is asked who holds the edge.
    EXPECT_THAT(shell.log, ElementsAre("SETAUTOHIDEBAREX edge 1 off", "REMOVE", "NEW", "GETAUTOHIDEBAREX edge 1",
                                       "GETAUTOHIDEBAR edge 1", "SETAUTOHIDEBAREX edge 1 on", "QUERYPOS edge 1",
                                       "SETPOS edge 1", "GETAUTOHIDEBAREX edge 1"));
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_EQ(docked.y, -70);

    // The shell names the bar itself as the edge's auto-hide bar: that is
    // no other bar.
    arrangement.ArrangeBar(false);
    EXPECT_TRUE(s.AutoHideOn);
    arrangement.OnDockDpiChanged(144);
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_EQ(s.BarThickness, 105);
    EXPECT_EQ(docked.y, -105);
    EXPECT_EQ(docked.height, 109);

    shell.registered.clear();
    shell.autoHide.clear();
    arrangement.OnShellRestarted();
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_EQ(shell.autoHide.at(1), 0xD0Cu);
    EXPECT_EQ(edgeTaken.shown, 0);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ArrangementTest, AnotherBarsMoveIsAnsweredOnlyWhenTheShellGivesAnotherPlace) {
    DockAt(kBarTop, false);
    shell.log.clear();
    // The shell tells every appbar of every placement, its own included.
    arrangement.OnAppBarPosChanged();
    EXPECT_THAT(shell.log, ElementsAre("QUERYPOS edge 1"));
    EXPECT_EQ(docked.y, 0);

    // The taskbar moved to the top: the bar moves below it.
    shell.Take(1, RectPx{0, 0, 1024, 30});
    shell.log.clear();
    arrangement.OnAppBarPosChanged();
    EXPECT_THAT(shell.log, ElementsAre("QUERYPOS edge 1", "SETPOS edge 1"));
    EXPECT_EQ(docked.y, 30);
    EXPECT_EQ(docked.height, 70);
    EXPECT_EQ(shell.reserved[0xD0C].top, 30);
}

TEST_F(ArrangementTest, ColumnsTakeTheWholeHeightOfTheLeftOrRightEdge) {
    DockAt(kBarLeft, false);
    EXPECT_THAT(shell.log, ElementsAre("NEW", "QUERYPOS edge 0", "SETPOS edge 0"));
    EXPECT_EQ(shell.reserved[0xD0C], (RectPx{0, 0, 70, 768}));
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 0, 70, 768}));
    EXPECT_TRUE(docked.column);
    EXPECT_TRUE(docked.topmost);

    // Auto-hiding at the right: a 4-pixel strip, the rest beyond the edge;
    // the left edge was given back first.
    shell.log.clear();
    s.AutoHideOn = true;
    s.BarPosition = kBarRight;
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(shell.log.front(), "REMOVE");
    EXPECT_EQ(shell.reserved[0xD0C], (RectPx{1020, 0, 1024, 768}));
    EXPECT_EQ(shell.autoHide.at(2), 0xD0Cu);
    EXPECT_EQ(docked.Bounds(), (RectPx{1020, 0, 1024 + 70, 768}));

    // A taskbar on the right: the column keeps its width left of it, and
    // hides behind it but for its strip.
    shell.Take(2, RectPx{984, 0, 1024, 768});
    arrangement.OnAppBarPosChanged();
    EXPECT_EQ(shell.reserved[0xD0C], (RectPx{980, 0, 984, 768}));
    FakeCursor cursor;
    DockedInput input{s, docked, cursor, arrangement, errors};
    input.Reveal();
    EXPECT_EQ(docked.Bounds(), (RectPx{984 - 70, 0, 984, 768}));
    EXPECT_TRUE(docked.timer);
    cursor.at = {950, 5};  // along the edge, within its width: it stays
    input.HideTimerTick();
    EXPECT_EQ(docked.x, 984 - 70);
    cursor.at = {913, 400};
    input.HideTimerTick();
    EXPECT_EQ(docked.Bounds(), (RectPx{980, 0, 984 + 70, 768}));

    // Back to a row: laid out as one again.
    DockAt(kBarBottom, false);
    EXPECT_FALSE(docked.column);
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 768 - 70, 1024, 768}));
}

TEST(Monitors, TheMonitorOfARectangleOrPoint) {
    // Two side by side, the second left of the primary; a third above.
    const MonitorInfo primary = FakeMonitors::Screen({0, 0, 1920, 1080});
    const MonitorInfo left = FakeMonitors::Screen({-1280, 56, 0, 1080}, 120);
    const MonitorInfo above = FakeMonitors::Screen({0, -1440, 2560, 0}, 144);
    const std::vector<MonitorInfo> all{primary, left, above};
    EXPECT_EQ(NearestMonitor(all, RectPx{-600, 300, -100, 373}), left);
    EXPECT_EQ(NearestMonitor(all, RectPx{100, -300, 600, -227}), above);
    // Across two: the larger share wins.
    EXPECT_EQ(NearestMonitor(all, RectPx{-100, 300, 400, 373}), primary);
    EXPECT_EQ(NearestMonitor(all, RectPx{-400, 300, 100, 373}), left);
    // On none: the closest.
    EXPECT_EQ(NearestMonitor(all, RectPx{-2000, 500, -1500, 573}), left);
    EXPECT_EQ(NearestMonitor(all, RectPx{-200, 0, -100, 40}), left);  // left's top is 56
    EXPECT_EQ(NearestMonitor(all, PointPx{-1, 500}), left);
    EXPECT_EQ(NearestMonitor(all, PointPx{0, 500}), primary);
    EXPECT_THROW(NearestMonitor({}, PointPx{0, 0}), RuntimeError);

    const RectPx work{0, 0, 1920, 1040};
    EXPECT_EQ(ClampInto(RectPx{100, 100, 600, 173}, work), (RectPx{100, 100, 600, 173}));
    EXPECT_EQ(ClampInto(RectPx{1800, 1000, 2300, 1073}, work), (RectPx{1420, 967, 1920, 1040}));
    EXPECT_EQ(ClampInto(RectPx{-700, -50, -200, 23}, work), (RectPx{0, 0, 500, 73}));
    // Wider than the area: its left edge on the area.
    EXPECT_EQ(ClampInto(RectPx{-10, 10, 2990, 83}, work), (RectPx{0, 10, 3000, 83}));
}

class MonitorsTest : public ArrangementTest {
protected:
    void SetUp() override {
        ArrangementTest::SetUp();
        // The primary with a taskbar; a second at 150 % right of it; a third
        // below the primary, left of the origin.
        monitors.list = {FakeMonitors::Screen({0, 0, 1024, 768}, 96, 40),
                         FakeMonitors::Screen({1024, 0, 2944, 1080}, 144),
                         FakeMonitors::Screen({-800, 768, 480, 1792}, 96)};
        s.BarMonitor = monitors.list[0];
    }
};

TEST_F(MonitorsTest, TheBarDocksOnTheEdgeOfTheMonitorItIsDroppedOn) {
    // The primary's work area ends at 728: the bottom zone of a 1100-twip
    // window begins at 728 - 27 - 73 = 628; the bar sits on the monitor's
    // edge, the taskbar is the shell's to keep clear.
    s.IconSize = 1;
    floating.rect = RectPx{100, 626, 600, 699};
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarFloating);
    floating.rect = RectPx{100, 629, 600, 702};
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarBottom);
    EXPECT_EQ(docked.y, 768 - 53);

    // On the 150 % monitor: its edge, at its DPI's thickness.
    FakeCursor cursor;
    DockedInput input{s, docked, cursor, arrangement, errors};
    input.TabMouseDown({500, 740});
    input.TabMouseUp(1, {1500, 500});
    EXPECT_EQ(s.BarPosition, kBarFloating);
    floating.rect = RectPx{1500, 30, 2250, 140};  // 300 twips from the top at 144 DPI
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_EQ(docked.x, 1024);
    EXPECT_EQ(docked.y, 0);
    EXPECT_EQ(docked.width, 1920);
    EXPECT_EQ(docked.height, 80);
    EXPECT_EQ(shell.reserved[0xD0C].left, 1024);

    // Dragged down onto the bottom edge of the monitor left of the origin.
    input.TabMouseDown({1500, 20});
    input.TabMouseUp(1, {-300, 1750});
    EXPECT_EQ(s.BarPosition, kBarBottom);
    EXPECT_EQ(docked.x, -800);
    EXPECT_EQ(docked.width, 1280);
    EXPECT_EQ(docked.y, 1792 - 53);
}

TEST_F(MonitorsTest, AStoredPlaceComesBackOnAMonitorThatIsThere) {
    s.IconSize = 1;
    s.FloatWidth = 7500;
    s.FloatLeft = 1400 * 15;  // on the 150 % monitor: its DPI sizes the window
    s.FloatTop = 200 * 15;
    EXPECT_EQ(BarArrangement::StoredFloatingRect(s, monitors.list), (RectPx{1400, 200, 2150, 310}));
    s.FloatLeft = -600 * 15;
    s.FloatTop = 1000 * 15;
    EXPECT_EQ(BarArrangement::StoredFloatingRect(s, monitors.list), (RectPx{-600, 1000, -100, 1073}));
    // A height of two rows is two rows at either DPI; less than one is one.
    s.FloatHeight = 143 * 10;
    EXPECT_EQ(BarArrangement::StoredFloatingRect(s, monitors.list), (RectPx{-600, 1000, -100, 1095}));
    s.FloatLeft = 1400 * 15;
    s.FloatTop = 200 * 15;
    EXPECT_EQ(BarArrangement::StoredFloatingRect(s, monitors.list), (RectPx{1400, 200, 2150, 343}));
    s.FloatHeight = 300;
    EXPECT_EQ(BarArrangement::StoredFloatingRect(s, monitors.list), (RectPx{1400, 200, 2150, 310}));
    s.FloatLeft = -600 * 15;
    s.FloatTop = 1000 * 15;
    // That monitor is gone: the nearest work area, the primary's.
    monitors.list.pop_back();
    EXPECT_EQ(BarArrangement::StoredFloatingRect(s, monitors.list), (RectPx{0, 655, 500, 728}));
}

TEST_F(MonitorsTest, WhenAMonitorGoesTheBarComesBackOnOneThatIsLeft) {
    floating.rect = RectPx{1200, 400, 1950, 510};
    arrangement.FloatMoved();
    ASSERT_EQ(s.BarPosition, kBarFloating);
    monitors.list.resize(1);
    arrangement.OnDisplayChanged();
    EXPECT_EQ(floating.rect, (RectPx{274, 400, 1024, 510}));
    EXPECT_EQ(s.FloatLastLeft, 274 * 15);
    // The check after that move finds no move of the user's.
    arrangement.FloatMoved();
    EXPECT_EQ(s.BarPosition, kBarFloating);

    // Docked on the second monitor, which goes: the edge of the primary.
    monitors.list = {FakeMonitors::Screen({0, 0, 1024, 768}, 96, 40), FakeMonitors::Screen({1024, 0, 2944, 1080}, 144)};
    floating.rect = RectPx{1500, 10, 2250, 120};
    arrangement.FloatMoved();
    ASSERT_EQ(docked.x, 1024);
    monitors.list.resize(1);
    arrangement.OnDisplayChanged();
    EXPECT_EQ(docked.x, 0);
    EXPECT_EQ(docked.width, 1024);
    EXPECT_EQ(docked.height, 70);
    EXPECT_EQ(shell.reserved[0xD0C].right, 1024);
}

// Two monitors stacked: the lower one's top edge is an inner edge, with the
// primary right beyond it.
TEST_F(MonitorsTest, AnAutoHiddenBarOnAnInnerEdgeStaysOnItsOwnMonitor) {
    const MonitorInfo lower = FakeMonitors::Screen({0, 768, 1024, 1536}, 144);
    monitors.list = {FakeMonitors::Screen({0, 0, 1024, 768}), lower};
    shell.autoHide[1] = 0xBEEF;  // another bar hides on the primary's top edge
    s.IconSize = 0;
    s.AutoHideOn = true;
    floating.rect = RectPx{100, 800, 850, 900};
    arrangement.FloatMoved();
    ASSERT_EQ(s.BarPosition, kBarTop);
    EXPECT_TRUE(s.AutoHideOn) << "the primary's auto-hide bar is no obstacle";
    EXPECT_EQ(edgeTaken.shown, 0);
    EXPECT_EQ(shell.AutoHideOf(1, lower.bounds), 0xD0Cu);
    EXPECT_EQ(shell.autoHide.at(1), 0xBEEFu);
    // Hidden: its strip alone, inside its own monitor (and at its DPI).
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 768, 1024, 772}));
    FakeCursor cursor;
    DockedInput input{s, docked, cursor, arrangement, errors};
    input.Reveal();
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 768, 1024, 768 + 105}));
    cursor.at = {500, 1200};
    input.HideTimerTick();
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 768, 1024, 772}));

    // Its bottom edge is an outer one: it hides beyond it as on one monitor.
    arrangement.ChooseBarPosition(7000);  // twips of the lower monitor, near its bottom
    arrangement.ArrangeBar(false);
    ASSERT_EQ(s.BarPosition, kBarBottom);
    EXPECT_EQ(shell.AutoHideOf(1, lower.bounds), 0u) << "the top edge was given back";
    EXPECT_EQ(shell.AutoHideOf(3, lower.bounds), 0xD0Cu);
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 1536 - 4, 1024, 1536 + 105}));

    // A shell without the monitor messages cannot give another monitor's
    // edge: a fixed bar, and no message of another bar.
    s.BarPosition = kBarFloating;
    arrangement.ShowConfiguredBar();
    EXPECT_EQ(shell.AutoHideOf(3, lower.bounds), 0u);
    shell.withoutEx = true;
    s.AutoHideOn = true;
    s.BarPosition = kBarTop;
    arrangement.ShowConfiguredBar();
    EXPECT_FALSE(s.AutoHideOn);
    EXPECT_EQ(edgeTaken.shown, 0);
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 768, 1024, 768 + 105}));
}

// Side by side: a 120-DPI monitor left of the origin, the primary, and a
// 144-DPI one right of it. Inner edges keep a hidden column on its monitor.
TEST_F(MonitorsTest, ColumnsOnMonitorsSideBySide) {
    const MonitorInfo left = FakeMonitors::Screen({-1280, 56, 0, 1080}, 120);
    const MonitorInfo right = FakeMonitors::Screen({1024, 0, 2944, 1080}, 144);
    monitors.list = {FakeMonitors::Screen({0, 0, 1024, 768}, 96, 40), right, left};
    s.IconSize = 0;

    // Moved near the left edge of the left monitor: its outer edge, its DPI.
    floating.rect = RectPx{-1270, 300, -770, 373};
    arrangement.FloatMoved();
    ASSERT_EQ(s.BarPosition, kBarLeft);
    EXPECT_EQ(docked.Bounds(), (RectPx{-1280, 56, -1280 + 87, 1080}));
    EXPECT_EQ(shell.reserved[0xD0C], (RectPx{-1280, 56, -1280 + 87, 1080}));

    // Auto-hiding at the right of that monitor: the primary lies beyond.
    s.AutoHideOn = true;
    arrangement.ChooseBarPosition(13000, 3000);
    arrangement.ArrangeBar(false);
    ASSERT_EQ(s.BarPosition, kBarRight);
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_EQ(shell.AutoHideOf(2, left.bounds), 0xD0Cu);
    EXPECT_EQ(docked.Bounds(), (RectPx{-4, 56, 0, 1080}));
    FakeCursor cursor;
    DockedInput input{s, docked, cursor, arrangement, errors};
    input.Reveal();
    EXPECT_EQ(docked.Bounds(), (RectPx{-87, 56, 0, 1080}));
    cursor.at = {-200, 500};
    input.HideTimerTick();
    EXPECT_EQ(docked.Bounds(), (RectPx{-4, 56, 0, 1080}));

    // Dragged by its strip onto the right edge of the 150 % monitor: the
    // outer edge there, hidden beyond it at that DPI's width.
    input.TabMouseDown({-50, 70});
    input.TabMouseUp(1, {2600, 500});
    ASSERT_EQ(s.BarPosition, kBarRight);
    EXPECT_EQ(shell.AutoHideOf(2, left.bounds), 0u);
    EXPECT_EQ(shell.AutoHideOf(2, right.bounds), 0xD0Cu);
    EXPECT_EQ(docked.Bounds(), (RectPx{2944 - 4, 0, 2944 + 105, 1080}));

    // And to the left edge of the primary, with the left monitor beyond it.
    input.TabMouseDown({2900, 40});
    input.TabMouseUp(1, {10, 300});
    ASSERT_EQ(s.BarPosition, kBarLeft);
    EXPECT_EQ(shell.autoHide.at(0), 0xD0Cu);
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 0, 4, 768}));
    input.Reveal();
    EXPECT_EQ(docked.Bounds(), (RectPx{0, 0, 70, 768}));

    // Dragged away into the middle, it floats where it was dropped.
    input.TabMouseDown({30, 20});
    input.TabMouseUp(1, {300, 300});
    EXPECT_EQ(s.BarPosition, kBarFloating);
    EXPECT_EQ(floating.rect.left, 300);
    EXPECT_TRUE(shell.autoHide.empty());
}

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

TEST_F(DockedInputTest, ARevealedBarStaysOutWhileItsMenuADialogOrADragIsOpen) {
    DockAt(kBarTop, true);
    input.Reveal();
    cursor.at = {500, 400};  // on the menu, far below the bar's rows
    docked.inUse = true;
    input.HideTimerTick();
    EXPECT_EQ(docked.y, 0);
    EXPECT_TRUE(docked.timer);
    docked.inUse = false;
    input.HideTimerTick();
    EXPECT_EQ(docked.y, -70);
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
    input.TabMouseDown({100, 20});
    input.TabMouseUp(1, {105, 25});
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_TRUE(docked.visible);

    input.TabMouseUp(1, {106, 20});
    // Dropped 20 pixels down (300 twips): still the top edge, arranged again.
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_EQ(docked.placed.normalPosition.left, 106);
    EXPECT_EQ(docked.placed.normalPosition.right, 106 + 1024);
}

TEST_F(DockedInputTest, ADropInTheMiddleFloatsTheBarThere) {
    DockAt(kBarTop, false);
    input.TabMouseDown({100, 20});
    // Where the button came up, not where the pointer is by the time the
    // message is handled.
    cursor.at = {0, 0};
    input.TabMouseUp(4, {300, 400});  // the middle button drags too
    EXPECT_EQ(s.BarPosition, kBarFloating);
    EXPECT_FALSE(docked.visible);
    EXPECT_TRUE(floating.visible);
    EXPECT_EQ(floating.rect.left, 300);
    EXPECT_EQ(floating.rect.top, 400);
    EXPECT_THAT(shell.log, ::testing::Contains("REMOVE"));
}

TEST_F(DockedInputTest, TheRightButtonNeverDrags) {
    DockAt(kBarTop, false);
    input.TabMouseDown({100, 20});
    input.TabMouseUp(DockedInput::kRightButton, {300, 400});
    EXPECT_EQ(s.BarPosition, kBarTop);
    EXPECT_TRUE(docked.visible);
}

class FakeLauncher : public IShellLauncher {
public:
    LaunchResult Execute(uintptr_t owner, const std::optional<std::string>& verb, const std::string& file,
                         const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
                         int show) override {
        calls.push_back({owner, verb, file, parameters, directory, show});
        return failures.empty() ? LaunchResult{} : failures.front();
    }
    std::vector<LaunchResult> failures;
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
    for (const char* other : {"C:\\Docs\\a.txt", "C:\\Tools", "C:\\v1.2\\tools", "http://host/setup.exe", "notepad",
                              "ftp:x/setup.exe"})
        EXPECT_FALSE(OffersRunAsAdministrator(ButtonTag{other, ""})) << other;
}

// A launch that fails says why, once; one that starts is handed on (the
// pictures of a network target it opened may be read from then on).
TEST(Launching, AFailureIsToldOnceAndWhatStartedIsHandedOn) {
    FakeLauncher shell;
    FakeMessageBox boxes;
    std::vector<std::string> opened;
    ReportingLauncher launcher(shell, boxes, [&](const std::string& file) { opened.push_back(file); });

    shell.failures = {LaunchResult{2, "The system cannot find the file specified."}};
    LaunchButton(launcher, BarKind::Floating, ButtonTag{"C:\\Gone\\app.exe", "/x"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Larkspan could not open \"C:\\Gone\\app.exe\".\r\n\r\nThe system cannot find the file specified.");
    EXPECT_EQ(boxes.shown[0].title, kProductTitle);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(opened.empty());

    // Declined, or shown by the shell itself: no second message.
    shell.failures = {LaunchResult{}};
    LaunchButtonElevated(launcher, ButtonTag{"\\\\server\\tools\\setup.exe", ""});
    EXPECT_EQ(boxes.shown.size(), 1u);
    shell.failures.clear();
    LaunchButton(launcher, BarKind::Docked, ButtonTag{"\\\\server\\tools\\ed.exe", ""});
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(opened, ElementsAre("\\\\server\\tools\\setup.exe", "\\\\server\\tools\\ed.exe"));
}

}  // namespace
}  // namespace lark::test
