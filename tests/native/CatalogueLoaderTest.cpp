#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeBar.h"
#include "Fakes.h"
#include "base/BarWindowView.h"
#include "catalogue/CatalogueFormat.h"
#include "catalogue/CatalogueLoader.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kPath = "C:\\Apps\\zentrol.ini";

class LoaderTest : public ::testing::Test {
protected:
    // Both windows show the model the loader builds, the docked one first.
    LoaderTest() {
        model.Attach(dockView);
        model.Attach(floatingView);
    }
    void Load(const std::string& content, int32_t iconSize = 1) {
        files.files[kPath] = content;
        LoadCatalogue(Context(iconSize), kPath);
    }
    CatalogueLoad Context(int32_t iconSize = 1) {
        return CatalogueLoad{model, files, codePage, progress, events, pictures, errors, iconSize};
    }
    // Both windows must always carry the same content.
    void ExpectBarsAlike() {
        EXPECT_EQ(dock.tabs.Names(), floating.tabs.Names());
        ASSERT_EQ(dock.ToolbarIndices(), floating.ToolbarIndices());
        for (int32_t i : dock.ToolbarIndices()) {
            EXPECT_EQ(dock.ToolbarTag(i), floating.ToolbarTag(i));
            EXPECT_EQ(dock.ButtonKeys(i), floating.ButtonKeys(i));
            EXPECT_EQ(dock.ToolbarVisible(i), floating.ToolbarVisible(i));
        }
    }

    FakeBar dock, floating;
    BarModel model;
    BarWindowView dockView{dock}, floatingView{floating};
    FakeFileSystem files;
    FakeCodePage codePage;
    FakeProgress progress;
    FakeEvents events;
    FakePictures pictures;
    FakeMessageBox box;
    FakePointer pointer;
    ErrorReporter errors{box, pointer};
};

TEST_F(LoaderTest, UnicodeFilesAreReadByTheirByteOrderMarkWithTheSameLineRules) {
    const std::string text = "[工具 🚀]\r\nNotes=C:\\笔记.exe\r\n[Docs]\r\n";
    for (const std::string& bytes : {"\xEF\xBB\xBF" + text, "\xFF\xFE" + Utf8ToUtf16Le(text)}) {
        Load(bytes);
        EXPECT_THAT(dock.tabs.Names(), ElementsAre("工具 🚀", "Docs"));
        EXPECT_EQ(floating.GetButtonTag(0, "Notes0").target, "C:\\笔记.exe");
        ExpectBarsAlike();
    }
    // Without a mark the bytes are the code page's.
    Load("[Caf\xE9]\r\n");
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("Café"));
}

TEST_F(LoaderTest, ASectionWithAProgramAndAFolder) {
    pictures.withIcons = {"C:\\Windows\\notepad.exe"};
    Load("[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\nDocs=C:\\Docs\r\n");
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("Tools"));
    EXPECT_EQ(dock.tabs.tabs[0].caption, "Tools");
    EXPECT_EQ(dock.ToolbarTag(0), "Tools");
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre("Notepad0", "Docs0"));
    EXPECT_EQ(dock.GetButtonImage(0, "Notepad0"), "i_C:\\Windows\\notepad.exe");
    EXPECT_EQ(dock.GetButtonImage(0, "Docs0"), "folder");
    EXPECT_EQ(dock.GetButtonToolTip(0, "Docs0"), "Docs");
    EXPECT_EQ(floating.GetButtonTag(0, "Notepad0").target, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(floating.GetButtonTag(0, "Notepad0").arguments, "");
    EXPECT_TRUE(dock.ToolbarVisible(0));
    EXPECT_EQ(dock.At(0).images, ImageListSize::Small);
    ExpectBarsAlike();
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(LoaderTest, TheSecondSectionsKeysEndInOneAndATargetsPictureIsOneForAllItsButtons) {
    pictures.withIcons = {"a.exe", "b.exe"};
    Load("[One]\r\nNotepad=a.exe\r\n[Two]\r\nNotepad=b.exe\r\nMore=b.exe\r\n");
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("One", "Two"));
    EXPECT_THAT(dock.ButtonKeys(1), ElementsAre("Notepad1", "More1"));
    EXPECT_EQ(dock.GetButtonImage(1, "More1"), "i_b.exe");
    EXPECT_EQ(dock.GetButtonImage(1, "Notepad1"), "i_b.exe");
    EXPECT_EQ(dock.ToolbarTag(1), "Two");
    EXPECT_FALSE(dock.ToolbarVisible(1));
    EXPECT_TRUE(dock.ToolbarVisible(0));
    ExpectBarsAlike();
}

TEST_F(LoaderTest, LineKindsFollowTheFileRulesWithoutTrimming) {
    Load("Orphan=C:\\x\r\n"          // before any header: ignored
         "[Tools]\r\n"
         " Spaced = C:\\y \r\n"       // blanks stay on both sides
         ";Note=C:\\z\r\n"            // no comments: a key starting with ";"
         "no equals here\r\n"
         "[Tools] \r\n"               // blank after "]": not a header, ignored
         "After=C:\\a\r\n"            // still in Tools
         " [Other]\r\n"               // blank before "[": not a header
         "[]\r\n"
         "Hidden=C:\\h\r\n"           // under an empty name: ignored
         "[Last=One]\r\n"
         "K=V=W\r\n");
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("Tools", "", "Last=One"));
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre(" Spaced 0", ";Note0", "After0"));
    EXPECT_EQ(dock.GetButtonTag(0, " Spaced 0").target, " C:\\y ");
    EXPECT_THAT(dock.ButtonKeys(1), IsEmpty());
    EXPECT_THAT(dock.ButtonKeys(2), ElementsAre("K2"));
    EXPECT_EQ(dock.GetButtonTag(2, "K2").target, "V=W");
    ExpectBarsAlike();
}

TEST_F(LoaderTest, QuotedValuesSplitOnlyWhenArgumentsFollow) {
    pictures.withIcons = {"C:\\Program Files\\ed.exe"};
    Load("[T]\r\n"
         "Args=\"C:\\Program Files\\ed.exe\"   /r C:\\n.txt  \r\n"
         "Bare=\"C:\\Program Files\\ed.exe\"  \r\n"
         "Plain=C:\\Program Files\\ed.exe\r\n");
    EXPECT_EQ(dock.GetButtonTag(0, "Args0").target, "C:\\Program Files\\ed.exe");
    EXPECT_EQ(dock.GetButtonTag(0, "Args0").arguments, "/r C:\\n.txt");
    EXPECT_EQ(dock.GetButtonTag(0, "Bare0").target, "\"C:\\Program Files\\ed.exe\"  ");
    EXPECT_EQ(dock.GetButtonTag(0, "Bare0").arguments, "");
    // Arguments leave the picture to the target, as if there were none.
    EXPECT_EQ(dock.GetButtonImage(0, "Args0"), "i_C:\\Program Files\\ed.exe");
    EXPECT_EQ(dock.GetButtonImage(0, "Args0"), dock.GetButtonImage(0, "Plain0"));
    EXPECT_THAT(pictures.calls, ElementsAre("C:\\Program Files\\ed.exe", "\"C:\\Program Files\\ed.exe\"  ",
                                            "C:\\Program Files\\ed.exe"));
}

TEST_F(LoaderTest, APicturesKeyDoesNotDependOnTheLinesAboveIt) {
    pictures.withIcons = {"C:\\p.exe"};
    Load("[T]\r\nProg=C:\\p.exe\r\n");
    const std::string alone = dock.GetButtonImage(0, "Prog0");
    Load("[New]\r\nX=C:\\x.exe\r\n[T]\r\nDir=C:\\Docs\r\nArgs=\"C:\\e.exe\" x\r\nProg=C:\\p.exe\r\n");
    EXPECT_EQ(dock.GetButtonImage(1, "Prog1"), alone);
    EXPECT_EQ(alone, "i_C:\\p.exe");
}

TEST_F(LoaderTest, AnEmptyValueIsAFolderButtonWithAnEmptyTarget) {
    Load("[T]\r\nNothing=\r\n");
    EXPECT_EQ(dock.GetButtonImage(0, "Nothing0"), "folder");
    EXPECT_EQ(dock.GetButtonTag(0, "Nothing0").target, "");
}

TEST_F(LoaderTest, AnUnclosedQuoteStopsTheLoadWithErrorFive) {
    Load("[T]\r\nFirst=C:\\a\r\nBroken=\"C:\\never closed\r\nLater=C:\\b\r\n");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "5:Invalid procedure call or argument\r\n\r\nInvalid procedure call or argument (5).");
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre("First0"));
    EXPECT_TRUE(dock.ToolbarVisible(0));
    EXPECT_FALSE(progress.shown);
}

TEST_F(LoaderTest, DuplicateKeysOfExtractedPicturesStopTheLoad) {
    pictures.withIcons = {"C:\\a.exe"};
    Load("[T]\r\nApp=C:\\a.exe\r\nApp=C:\\a.exe\r\nLater=C:\\b\r\n");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_THAT(box.shown[0].text, ::testing::StartsWith("35602:Key is not unique in collection\r\n\r\n"));
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre("App0"));
    EXPECT_THAT(floating.ButtonKeys(0), ElementsAre("App0"));
}

TEST_F(LoaderTest, DuplicateKeysOfFolderPicturesAreSkippedSilently) {
    Load("[T]\r\nDir=C:\\One\r\nDir=C:\\Two\r\nLater=C:\\b\r\n");
    EXPECT_TRUE(box.shown.empty());
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre("Dir0", "Later0"));
    EXPECT_EQ(dock.GetButtonTag(0, "Dir0").target, "C:\\One");
}

TEST_F(LoaderTest, IgnoreModeEndsWithTheEntryThatNeededIt) {
    // After a folder entry, a broken quote in the next entry is still reported.
    Load("[T]\r\nDir=C:\\One\r\nBroken=\"x\r\n");
    EXPECT_EQ(box.shown.size(), 1u);
    // And a duplicate entry with arguments after a folder entry too.
    box.shown.clear();
    Load("[T]\r\nA=C:\\One\r\nA=\"C:\\e.exe\" x\r\n");
    EXPECT_EQ(box.shown.size(), 1u);
}

TEST_F(LoaderTest, AMissingFileIsReportedAndLeavesBothBarsEmpty) {
    Load("[Old]\r\nA=C:\\a\r\n[Old2]\r\n");
    LoadCatalogue(Context(), "C:\\nowhere\\gone.ini");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "53:File not found\r\n\r\nFile not found (53).");
    EXPECT_EQ(dock.tabs.TabCount(), 0);
    EXPECT_THAT(dock.ToolbarIndices(), ElementsAre(0));
    EXPECT_THAT(dock.ButtonKeys(0), IsEmpty());
    EXPECT_TRUE(dock.ToolbarVisible(0));
    ExpectBarsAlike();
    EXPECT_EQ(progress.unloads, 2);
}

TEST_F(LoaderTest, AnEmptyFileShowsNoProgressAndLeavesVisibilityAlone) {
    Load("[A]\r\nx=C:\\x\r\n");
    dock.SetToolbarVisible(0, false);
    progress.unloads = 0;
    Load("");
    EXPECT_EQ(dock.tabs.TabCount(), 0);
    EXPECT_FALSE(dock.ToolbarVisible(0));
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(progress.unloads, 0);
}

TEST_F(LoaderTest, AnEmptyPathEmptiesTheBarsAndFinishes) {
    Load("[A]\r\n[B]\r\n");
    LoadCatalogue(Context(), "");
    EXPECT_EQ(dock.tabs.TabCount(), 0);
    EXPECT_THAT(floating.ToolbarIndices(), ElementsAre(0));
    EXPECT_TRUE(floating.ToolbarVisible(0));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(LoaderTest, OneEmptyLineGivesNoTabsButShowsProgress) {
    Load("\r\n");
    EXPECT_EQ(dock.tabs.TabCount(), 0);
    EXPECT_EQ(progress.max, 1);
    EXPECT_THAT(progress.values, ElementsAre(1, 0));
    EXPECT_EQ(progress.unloads, 1);
}

TEST_F(LoaderTest, ProgressAdvancesEveryLineAndYields) {
    Load("[A]\r\nx=C:\\x\r\ny=C:\\y\r\n");
    EXPECT_EQ(progress.max, 3);
    EXPECT_THAT(progress.values, ElementsAre(1, 2, 3, 0));
    EXPECT_EQ(events.calls, 5);
}

TEST_F(LoaderTest, OnlyLinesUpToTheLimitAreRead) {
    std::string content = "[S]\r\n";
    for (size_t i = 1; i < kMaxCatalogueLines; ++i) content += "k" + std::to_string(i) + "=C:\\d\r\n";
    content += "[Late]\r\n";
    Load(content);
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("S"));
    EXPECT_EQ(dock.ButtonKeys(0).size(), kMaxCatalogueLines - 1);
    EXPECT_EQ(progress.max, 32500);
}

TEST_F(LoaderTest, OnlyCrLfSeparatesLines) {
    Load("[A]\nx=C:\\x\n[B]\r\ny=C:\\y\r\nz=C:\\z\nw=C:\\w\r\n");
    // The first line runs up to the first CR LF: one header, bare LFs inside.
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("A]\nx=C:\\x\n[B"));
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre("y0", "z0"));
    EXPECT_EQ(dock.GetButtonTag(0, "z0").target, "C:\\z\nw=C:\\w");
}

TEST_F(LoaderTest, ReloadingReplacesEverythingAndTheLargeSizeBindsLargePictures) {
    Load("[A]\r\nx=C:\\x\r\n[B]\r\n[C]\r\n");
    Load("[Z]\r\nq=C:\\q\r\n", 0);
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("Z"));
    EXPECT_THAT(dock.ToolbarIndices(), ElementsAre(0));
    EXPECT_THAT(dock.ButtonKeys(0), ElementsAre("q0"));
    EXPECT_EQ(dock.At(0).images, ImageListSize::Large);
}

TEST_F(LoaderTest, AReloadAppliesTheDifferenceAndASmallOneHoldsNothing) {
    pictures.withIcons = {"C:\\a.exe", "C:\\b.exe"};
    Load("[A]\r\nx=C:\\a.exe\r\n[B]\r\ny=C:\\b.exe\r\n");
    model.ShowSection(2);
    model.ResolvePictures({{"i_C:\\b.exe", "no"}});
    progress = FakeProgress{};
    events.calls = 0;
    std::vector<bool> holds;
    files.files[kPath] = "[New]\r\n[A]\r\nx=C:\\a.exe\r\n[B]\r\ny=C:\\b.exe\r\nz=C:\\b.exe\r\n";
    ReloadCatalogue(Context(), kPath, [&](bool hold) { holds.push_back(hold); });
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("New", "A", "B"));
    // B kept its toolbar, its picture and the tab shown; its new button
    // asks for the same target's picture, which the bar has.
    EXPECT_THAT(dock.ButtonKeys(1), ElementsAre("y1", "z1"));
    EXPECT_EQ(dock.GetButtonImage(1, "y1"), "no");
    EXPECT_EQ(dock.tabs.current, 3);
    EXPECT_TRUE(dock.ToolbarVisible(1));
    EXPECT_EQ(dock.ToolbarTag(2), "New");
    ExpectBarsAlike();
    EXPECT_TRUE(holds.empty());
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(progress.unloads, 0);
    EXPECT_EQ(events.calls, 0);

    // A long file shows its progress, with the bar's input held meanwhile.
    std::string content = "[A]\r\n";
    for (size_t i = 0; i < kQuietReloadLines; ++i) content += "k" + std::to_string(i) + "=C:\\d\r\n";
    files.files[kPath] = content;
    ReloadCatalogue(Context(), kPath, [&](bool hold) { holds.push_back(hold); });
    EXPECT_THAT(holds, ElementsAre(true, false));
    EXPECT_EQ(progress.unloads, 1);
    EXPECT_GT(events.calls, 0);
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("A"));
    EXPECT_EQ(dock.ButtonKeys(0).size(), kQuietReloadLines);
}

TEST_F(LoaderTest, AnUnknownIconSizeLeavesTheBindingAlone) {
    Load("[A]\r\n", 0);
    Load("[A]\r\n", 7);
    EXPECT_EQ(dock.At(0).images, ImageListSize::Large);
}

TEST_F(LoaderTest, ToolbarsLeftFromAnEarlierLoadAreReusedWhenDiscardFails) {
    Load("[A]\r\na=C:\\a\r\n[B]\r\nb=C:\\b\r\nc=C:\\c\r\n");
    // The earlier load's toolbars stay: the next load takes them over,
    // emptied, rather than stopping at the one already there.
    dock.failDiscard = floating.failDiscard = true;
    Load("[X]\r\nx=C:\\x\r\n[Y]\r\ny=C:\\y\r\n");
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("X", "Y"));
    EXPECT_EQ(dock.ToolbarTag(1), "Y");
    EXPECT_THAT(dock.ButtonKeys(1), ElementsAre("y1"));
    EXPECT_THAT(floating.ButtonKeys(1), ElementsAre("y1"));
    EXPECT_TRUE(box.shown.empty());
    dock.failDiscard = floating.failDiscard = false;

    // Two headers with the same name give two tabs and two toolbars.
    Load("[Same]\r\na=C:\\a\r\n[Same]\r\nb=C:\\b\r\n");
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("Same", "Same"));
    EXPECT_THAT(dock.ButtonKeys(1), ElementsAre("b1"));
}

TEST_F(LoaderTest, AFailingTabIsReportedAndEndsTheLoad) {
    floating.tabs.failAdd = true;
    Load("[A]\r\nx=C:\\x\r\n");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_THAT(dock.tabs.Names(), ElementsAre("A"));
    EXPECT_THAT(dock.ButtonKeys(0), IsEmpty());
    EXPECT_TRUE(floating.ToolbarVisible(0));
}

// The check made before a reload from outside must stop where the load
// would: a file it passes loads whole, one it fails would end part-way.
TEST_F(LoaderTest, TheCheckFailsExactlyTheFilesWhoseLoadStops) {
    pictures.withIcons = {"C:\\a.exe"};
    pictures.cached = {"TXT"};
    const auto quiet = [&](const std::string& target) {
        const ImageChoice choice = pictures.ChooseButtonImage(target);
        return !choice.extracted;
    };
    const std::string contents[] = {
        "[T]\r\nFirst=C:\\a\r\nBroken=\"C:\\never closed\r\n",
        "[T]\r\nApp=C:\\a.exe\r\nApp=C:\\a.exe\r\n",
        "[T]\r\nDir=C:\\One\r\nDir=C:\\Two\r\n",
        "[T]\r\nDoc=C:\\a.txt\r\nDoc=C:\\b.txt\r\n",
        "[T]\r\nA=C:\\One\r\nA=\"C:\\e.exe\" x\r\n",
        "[T]\r\nA=\"x\" y\r\nA=\"z\" w\r\n",  // arguments: the picture is the target's
        "[T]\r\nA=C:\\a.exe\r\n[T]\r\nA=C:\\a.exe\r\n",
        "Broken=\"x\r\n[]\r\nBroken=\"y\r\n[T]\r\nOk=\"C:\\e.exe\" x\r\n",
    };
    for (const std::string& content : contents) {
        box.shown.clear();
        Load(content);
        const std::optional<CatalogueFault> fault = CheckCatalogue(content, codePage, quiet);
        EXPECT_EQ(fault.has_value(), !box.shown.empty()) << content;
    }
    const auto first = CheckCatalogue(contents[0], codePage, quiet);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, CatalogueFaultKind::UnclosedQuote);
    EXPECT_EQ(first->line, 3u);
    const auto repeated = CheckCatalogue(contents[1], codePage, quiet);
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->kind, CatalogueFaultKind::RepeatedName);
    EXPECT_EQ(repeated->name, "App");
    // A file caught while being written ends inside a character.
    const std::string text = "[T]\r\nA=C:\\é";
    EXPECT_FALSE(CheckCatalogue("\xEF\xBB\xBF" + text, codePage, quiet));
    EXPECT_EQ(CheckCatalogue("\xEF\xBB\xBF" + text.substr(0, text.size() - 1), codePage, quiet)->kind,
              CatalogueFaultKind::CutCharacter);
    const std::string wide = "\xFF\xFE" + Utf8ToUtf16Le(text);
    EXPECT_FALSE(CheckCatalogue(wide, codePage, quiet));
    EXPECT_TRUE(CheckCatalogue(wide.substr(0, wide.size() - 1), codePage, quiet));
}

TEST(CatalogueFormat, SplittingKeepsEmptyLinesAndLimits) {
    EXPECT_TRUE(SplitCatalogueLines("").empty());
    EXPECT_THAT(SplitCatalogueLines("\r\n"), ElementsAre("", ""));
    EXPECT_THAT(SplitCatalogueLines("a\r\n\r\nb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitCatalogueLines("a\rb\nc"), ElementsAre("a\rb\nc"));
    EXPECT_THAT(SplitCatalogueLines("a\r\nb\r\nc", 2), ElementsAre("a", "b"));
}

TEST(CatalogueFormat, HeadersNeedBothBracketsAtTheEnds) {
    EXPECT_TRUE(IsSectionHeader("[]"));
    EXPECT_TRUE(IsSectionHeader("[a [b] c]"));
    EXPECT_FALSE(IsSectionHeader("["));
    EXPECT_FALSE(IsSectionHeader("]"));
    EXPECT_FALSE(IsSectionHeader("[a] "));
    EXPECT_EQ(SectionName("[ a ]"), " a ");
}

TEST(CatalogueFormat, ValueForms) {
    EXPECT_EQ(ParseEntryValue(" C:\\x").target, " C:\\x");
    EXPECT_EQ(ParseEntryValue("\"a\"b").target, "a");
    EXPECT_EQ(ParseEntryValue("\"a\"b").arguments, "b");
    EXPECT_EQ(ParseEntryValue("\"\" b").target, "");
    EXPECT_EQ(ParseEntryValue("\"\" b").arguments, "b");
    EXPECT_EQ(ParseEntryValue("\"a\"").target, "\"a\"");
    EXPECT_EQ(ParseEntryValue("\"a\"\t").arguments, "\t");  // only spaces are blank
    EXPECT_EQ(ParseEntryValue("x\"y").target, "x\"y");
    EXPECT_THROW(ParseEntryValue("\""), RuntimeError);
}

}  // namespace
}  // namespace lark::test
