#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Fakes.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kDefaultCatalogue = "C:\\Apps\\Larkspan\\zentrol.ini";

class MainTest : public ::testing::Test {
protected:
    FakeWorld w;
    AppState& s = w.app.state;
};

TEST_F(MainTest, ASecondInstanceSaysSoAndTouchesNothing) {
    w.host.previousInstance = true;
    w.settings.Set("Size", "0");
    EXPECT_FALSE(Main(w.app, w.host));
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Application is already running!");
    EXPECT_EQ(w.box.shown[0].title, "Brindlewick Larkspan");
    EXPECT_EQ(w.box.shown[0].icon, BoxIcon::Information);
    EXPECT_THAT(w.host.log, ElementsAre("instance"));
    EXPECT_THAT(w.settings.reads, IsEmpty());
    EXPECT_THAT(w.settings.writes, IsEmpty());
    EXPECT_TRUE(w.files.files.empty());
}

TEST_F(MainTest, AFirstRunCreatesTheCatalogueAndFillsItFromTheDesktop) {
    EXPECT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, kDefaultCatalogue);
    EXPECT_EQ(w.files.files.at(kDefaultCatalogue), "\r\n");
    EXPECT_THAT(w.host.log,
                ElementsAre("instance", "f_Util", "screen", "colours", "import:16+progress", "import:25+progress",
                            "imagelists", "load:" + kDefaultCatalogue, "menu", "hide-dock", "show-float",
                            "configured-bar"));
    ASSERT_TRUE(s.CatalogueIni);
    EXPECT_EQ(s.CatalogueIni->INIPath(), kDefaultCatalogue);
    EXPECT_FALSE(w.pointer.busy);
}

TEST_F(MainTest, MeasuresTheScreenAndDerivesTwipsPerPixel) {
    w.host.screen = ScreenMeasures{1280, 1024, 144, 120};
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.ScreenWidthPx, 1280);
    EXPECT_EQ(s.ScreenHeightPx, 1024);
    EXPECT_EQ(s.TwipsPerPixelX.Value(), 10.0);
    EXPECT_EQ(s.TwipsPerPixelY.Value(), 12.0);
    EXPECT_EQ(s.BarMonitor.bounds, (RectPx{0, 0, 1280, 1024}));
    // The default position is computed with the measured screen.
    EXPECT_EQ(s.FloatLeft, 1280 * 10 / 2);
    EXPECT_EQ(s.FloatTop, 1024 * 12 / 2);
    EXPECT_EQ(s.FloatLastLeft, s.FloatLeft);
    EXPECT_EQ(s.FloatLastTop, s.FloatTop);
    EXPECT_EQ(s.BarPlacement.length, 44u);
}

TEST_F(MainTest, AStoredCatalogueElsewhereIsUsedAndNothingIsCreated) {
    w.settings.Set("INI_Path", "D:\\Data\\mine.ini");
    w.files.files["D:\\Data\\mine.ini"] = "[Tools]\r\n";
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, "D:\\Data\\mine.ini");
    EXPECT_EQ(w.files.files.size(), 1u);
    EXPECT_EQ(s.CatalogueIni->INIPath(), "D:\\Data\\mine.ini");
    EXPECT_THAT(w.host.log, ::testing::Not(::testing::Contains("import:16+progress")));
}

TEST_F(MainTest, AStoredPathToAMissingFileFallsBackToTheDefault) {
    w.settings.Set("INI_Path", "D:\\Gone\\mine.ini");
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, kDefaultCatalogue);
    EXPECT_EQ(w.files.files.at(kDefaultCatalogue), "\r\n");
    EXPECT_FALSE(w.files.Exists("D:\\Gone\\mine.ini"));
}

TEST_F(MainTest, AnExistingDefaultCatalogueIsKeptWhenTheStoredOneIsMissing) {
    w.settings.Set("INI_Path", "D:\\Gone\\mine.ini");
    w.files.files[kDefaultCatalogue] = "[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\n";
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, kDefaultCatalogue);
    EXPECT_EQ(w.files.files.at(kDefaultCatalogue), "[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\n");
    EXPECT_THAT(w.host.log, ::testing::Not(::testing::Contains("import:16+progress")));
    EXPECT_THAT(w.host.log, ::testing::Contains("load:" + kDefaultCatalogue));
}

TEST_F(MainTest, AnEmptyStoredPathMeansTheDefault) {
    w.settings.Set("INI_Path", "");
    w.files.files[kDefaultCatalogue] = "\r\n";
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, kDefaultCatalogue);
}

TEST_F(MainTest, ACatalogueCannotLiveInAFolderItCannotWriteSoItGoesToTheUsersData) {
    const std::string home = "C:\\Users\\Ann\\AppData\\Roaming\\Larkspan\\zentrol.ini";
    w.files.readOnlyFolders.insert(w.host.programFolder);
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, home);
    EXPECT_EQ(w.files.files.at(home), "\r\n");
    EXPECT_TRUE(w.files.folders.count("C:\\Users\\Ann\\AppData\\Roaming\\Larkspan"));
    EXPECT_THAT(w.host.log, ::testing::Contains("import:16+progress"));
    EXPECT_EQ(s.CatalogueIni->INIPath(), home);

    // Found there on the next start; a stored path to a missing file falls
    // back to it too.
    for (const char* stored : {"", "D:\\Gone\\mine.ini"}) {
        FakeWorld again;
        again.files.files[home] = "[Tools]\r\n";
        again.files.readOnlyFolders.insert(again.host.programFolder);
        again.settings.Set("INI_Path", stored);
        ASSERT_TRUE(Main(again.app, again.host));
        EXPECT_EQ(again.app.state.CataloguePath, home) << stored;
        EXPECT_EQ(again.files.files.at(home), "[Tools]\r\n");
    }
}

TEST_F(MainTest, AnInstalledCopyKeepsItsCatalogueInTheUsersDataThoughItMayWriteItsFolder) {
    const std::string home = "C:\\Users\\Ann\\AppData\\Roaming\\Larkspan\\zentrol.ini";
    w.files.files[w.host.programFolder + "\\Uninstall.exe"] = "MZ";
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, home);
    EXPECT_EQ(w.files.files.at(home), "\r\n");
    EXPECT_FALSE(w.files.Exists(kDefaultCatalogue));

    // One the user put beside it stays the one it uses.
    FakeWorld placed;
    placed.files.files[placed.host.programFolder + "\\Uninstall.exe"] = "MZ";
    placed.files.files[kDefaultCatalogue] = "[Tools]\r\n";
    ASSERT_TRUE(Main(placed.app, placed.host));
    EXPECT_EQ(placed.app.state.CataloguePath, kDefaultCatalogue);
    EXPECT_FALSE(placed.files.Exists(home));
}

TEST_F(MainTest, ACatalogueFoundInEitherHomeStaysThere) {
    // Beside the program, even where that folder cannot be written: a copy
    // on a stick stays portable (its saves then report the failure).
    w.files.readOnlyFolders.insert(w.host.programFolder);
    w.files.files[kDefaultCatalogue] = "[Tools]\r\n";
    ASSERT_TRUE(Main(w.app, w.host));
    EXPECT_EQ(s.CataloguePath, kDefaultCatalogue);

    // In the user's data, after the folder became writable.
    FakeWorld moved;
    const std::string home = "C:\\Users\\Ann\\AppData\\Roaming\\Larkspan\\zentrol.ini";
    moved.files.files[home] = "[Tools]\r\n";
    ASSERT_TRUE(Main(moved.app, moved.host));
    EXPECT_EQ(moved.app.state.CataloguePath, home);
    EXPECT_FALSE(moved.files.Exists(kDefaultCatalogue));
}

TEST_F(MainTest, AStartUpErrorIsReportedWithoutContextAndEndsTheProgram) {
    w.files.readOnly = true;  // the new catalogue cannot be written
    w.settings.Set("Width", "8000");
    EXPECT_FALSE(Main(w.app, w.host));
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Path/File access error (75).");
    EXPECT_EQ(w.box.shown[0].icon, BoxIcon::Critical);
    EXPECT_FALSE(w.pointer.busy);
    EXPECT_THAT(w.host.log, ::testing::Not(::testing::Contains("show-float")));
    EXPECT_THAT(w.settings.writes, IsEmpty());
}

TEST_F(MainTest, OutOfMemoryAtStartUpIsStillShown) {
    w.host.failAt = "menu";
    w.host.failWith = kErrOutOfMemory;
    w.files.files[kDefaultCatalogue] = "\r\n";
    EXPECT_FALSE(Main(w.app, w.host));
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Out of memory (7).");
}

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.files.files[kDefaultCatalogue] = "\r\n";
        ASSERT_TRUE(Main(w.app, w.host));
        w.host.log.clear();
        w.appBar.log = &w.host.log;
        w.settings.log = &w.host.log;
        w.host.forms.emplace_back("f_Util", w.host.log);
        w.host.forms.emplace_back("f_Dock", w.host.log);
        w.host.forms.emplace_back("f_Float", w.host.log);
    }
    FakeWorld w;
    AppState& s = w.app.state;
};

TEST_F(ShutdownTest, WithdrawsTheAppBarThenUnloadsThenSaves) {
    s.AppBarInfo.hWnd = 0x1234;
    s.AppBarInfo.lParam = 1;
    EXPECT_TRUE(Shutdown(w.app, w.host, false));
    EXPECT_THAT(w.host.log,
                ElementsAre("appbar:12", "appbar:1", "unload:f_Util", "unload:f_Dock", "unload:f_Float",
                            "save:INI_Path", "save:Size", "save:Position", "save:Top", "save:Left", "save:Width",
                            "save:Autohide", "save:Hotkey", "save:Theme"));
    EXPECT_EQ(w.appBar.sent[0].data.lParam, 0);
    EXPECT_TRUE(s.Quitting);
    EXPECT_FALSE(s.CatalogueIni);
}

TEST_F(ShutdownTest, WithoutADockedWindowNoAppBarMessageIsSent) {
    EXPECT_TRUE(Shutdown(w.app, w.host, false));
    EXPECT_TRUE(w.appBar.sent.empty());
}

TEST_F(ShutdownTest, NoSaveSkipsOnlyTheSettings) {
    EXPECT_TRUE(Shutdown(w.app, w.host, true));
    EXPECT_THAT(w.settings.writes, IsEmpty());
    EXPECT_THAT(w.host.log, ::testing::Contains("unload:f_Float"));
}

TEST_F(ShutdownTest, AFailingUnloadDoesNotStopTheRest) {
    w.host.forms[1].onUnload = [] { Raise(kErrObjectNotSet); };
    w.settings.failOnKey = "Top";
    EXPECT_TRUE(Shutdown(w.app, w.host, false));
    EXPECT_THAT(w.host.log, ::testing::Contains("unload:f_Float"));
    EXPECT_THAT(w.settings.writes, ElementsAre("INI_Path", "Size", "Position"));
    EXPECT_FALSE(s.CatalogueIni);
}

TEST_F(ShutdownTest, AFailureWithdrawingTheAppBarAbandonsTheShutdown) {
    s.AppBarInfo.hWnd = 0x1234;
    w.appBar.failOn = ABM_REMOVE_;
    EXPECT_FALSE(Shutdown(w.app, w.host, false));
    EXPECT_FALSE(s.Quitting);
    EXPECT_THAT(w.host.log, ElementsAre("appbar:12"));
    EXPECT_THAT(w.settings.writes, IsEmpty());
    EXPECT_FALSE(s.CatalogueIni);
}

TEST_F(ShutdownTest, UnloadHandlersSeeQuittingSet) {
    bool quittingSeen = false;
    w.host.forms[2].onUnload = [&] { quittingSeen = s.Quitting; };
    Shutdown(w.app, w.host, false);
    EXPECT_TRUE(quittingSeen);
}

}  // namespace
}  // namespace lark::test
