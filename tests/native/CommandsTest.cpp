#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "FakeBar.h"
#include "Fakes.h"
#include "FakeShell.h"
#include "bar/BarArrangement.h"
#include "commands/MainMenu.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ScriptedPresenter : public IMenuPresenter {
public:
    int32_t Popup(const std::vector<MenuItem>& items, const MenuColours& c, uintptr_t owner, int32_t x,
                  int32_t y) override {
        shown.push_back(items);
        colours = c;
        lastOwner = owner;
        at = {x, y};
        if (choices.empty()) return 0;
        const int32_t choice = choices.front();
        choices.pop_front();
        return choice;
    }
    std::deque<int32_t> choices;
    std::vector<std::vector<MenuItem>> shown;
    MenuColours colours;
    uintptr_t lastOwner = 0;
    PointPx at;
};

class FakeMenuImages : public IMenuImages {
public:
    int32_t IndexOf(const std::string& key) override {
        const std::vector<std::string> keys = {"addsection", "delsection", "addbutton", "delbutton",
                                               "about",      "options",    "exit"};
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key) return static_cast<int32_t>(i);
        Raise(kErrInvalidCall);
    }
};

class FakeInput : public IInputBox {
public:
    std::optional<std::string> Ask(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) override {
        asked.push_back(prompt + "|" + title + "|" + defaultText);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked;
};

class FakeFileDialog : public IFileDialog {
public:
    std::optional<std::string> OpenFile(const std::string& title, const std::string& filter, int index) override {
        opened.push_back(title + "|" + filter + "|" + std::to_string(index));
        return next;
    }
    std::optional<std::string> next;
    std::vector<std::string> opened;
};

class FakeIcons : public IIconSource {
public:
    Found ExtractIcons(const std::string& path) override {
        last = path.find("noicon") == std::string::npos ? Found{0x10, 0x20} : Found{};
        return last;
    }
    void StorePictures(const std::string& key) override {
        // An image list that already holds the key must not refuse it.
        stored.push_back(key);
    }
    void RequestPictures(const std::string&, const std::string& key) override { requested.push_back(key); }
    std::vector<std::string> requested;
    Found last;
    std::vector<std::string> stored;
};

class FakeWindows : public ICommandWindows {
public:
    bool DockVisible() override { return dockVisible; }
    void ShowAboutModal() override { ++about; }
    void ShowOptionsModal() override { ++options; }
    void Exit() override { exit(); }
    bool dockVisible = false;
    std::function<void()> exit;
    int about = 0, options = 0;
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.files.files[kCatalogue] = "\r\n";
        s.CatalogueIni = std::make_unique<cINI>(w.files, w.codePage);
        s.CatalogueIni->INIPath(kCatalogue);
        s.ScreenWidthPx = 1024;
        s.ScreenHeightPx = 768;
        s.BarPosition = kBarTop;
        s.AppBarInfo.hWnd = 0xD0C;
        s.IconSize = 1;
        windows.exit = [this] { Shutdown(w.app, w.host, false); };
        menu.BuildMainMenu();
    }
    // Tabs and toolbars as a load of these sections leaves them, and the
    // catalogue they came from.
    void Sections(std::initializer_list<const char*> names) {
        int32_t index = 0;
        std::string& file = w.files.files[kCatalogue];
        file.clear();
        for (const char* name : names) {
            file += "[" + std::string(name) + "]\r\n";
            for (FakeBar* bar : {&floating, &docked}) {
                bar->tabs.AddTab(name, -1, -1, name);
                if (index > 0) bar->CreateToolbar(index);
                bar->SetToolbarTag(index, name);
            }
            ++index;
        }
    }
    std::string Catalogue() { return w.files.files.at(kCatalogue); }
    // A loaded program button: keyed as the loader keys it, named by its tooltip.
    void Program(int32_t toolbar, const std::string& name, const std::string& picture = "no") {
        for (FakeBar* bar : {&floating, &docked}) {
            bar->AddButton(toolbar, name + std::to_string(toolbar), picture);
            bar->SetButtonToolTip(toolbar, name + std::to_string(toolbar), name);
        }
        if (picture.rfind("i_", 0) == 0) s.PictureKeys.insert(picture);
    }

    static constexpr const char* kCatalogue = "C:\\Apps\\Larkspan\\zentrol.ini";
    PMenu& Popup() { return *s.MainPopup; }

    FakeWorld w;
    AppState& s = w.app.state;
    FakeBar floating, docked;
    FakeInput input;
    FakeFileDialog fileDialog;
    FakeIcons icons;
    FakeWindows windows;
    ScriptedPresenter presenter;
    FakeMenuImages images;
    FakeFloating floatingBar;
    FakeDocked dockedBar;
    FakeShell shell;
    FakeMonitors monitors;
    FakeEdgeTaken edgeTaken;
    FakeEvents events;
    EditingContext editing{s, floating, docked, input, fileDialog, w.box, w.files, icons};
    BarArrangement arrangement{s, floatingBar, dockedBar, shell, monitors, edgeTaken, events, w.pointer, w.app.errors};
    MainMenu menu{w.app, presenter, images, editing, arrangement, floatingBar, windows};
};

TEST_F(CommandsTest, TheMenuHoldsItsFourteenItemsInThreeGroups) {
    PMenu& m = Popup();
    ASSERT_EQ(m.ItemCount(), 14);
    EXPECT_EQ(m.ItemIndex("Exit"), 14);
    EXPECT_EQ(m.ItemIndex("AddSection"), 5);
    EXPECT_EQ(m.ItemIndex("sep2"), 7);
    EXPECT_EQ(m.ItemIndex("sep1"), 13);
    EXPECT_EQ(m.ItemIndex(""), 0);  // headers are never found by key
    for (int32_t p = 1; p <= 14; ++p) EXPECT_EQ(m.Item(p).header, p == 1 || p == 4 || p == 10) << p;
    EXPECT_EQ(m.Item(4).caption, "Sections");
    EXPECT_EQ(m.Item(11).caption, "About ...");
    EXPECT_EQ(m.Item(5).image, 0);
    EXPECT_EQ(m.Item(14).image, 6);
    EXPECT_EQ(m.Item(2).image, -1);
    EXPECT_FALSE(m.Item(2).checked);  // AutoHideOn was false
    EXPECT_TRUE(m.Item(3).checked);
    EXPECT_EQ(m.Colours().first, 0x804000u);
    EXPECT_EQ(m.Colours().second, 0xFFFFFFu);
    EXPECT_EQ(m.Colours().third, 0x804000u);
}

TEST_F(CommandsTest, NamedListsKeepCheckedAndEnabledStates) {
    PMenu& m = Popup();
    m.SetChecked(2, true);
    m.SetEnabled(8, false);
    m.SaveMenu("Other");
    m.SetChecked(2, false);
    m.SetEnabled(8, true);
    m.LoadMenu("Other");
    EXPECT_TRUE(m.Item(2).checked);
    EXPECT_FALSE(m.Item(8).enabled);
    EXPECT_THROW(m.LoadMenu("Never"), RuntimeError);
    EXPECT_THROW(m.SetChecked(15, true), RuntimeError);
}

TEST_F(CommandsTest, KeysMapToTheirCommandsAndTheRestRunNothing) {
    EXPECT_EQ(MainMenu::CommandOf("Exit"), kCmdExit);
    EXPECT_EQ(MainMenu::CommandOf("AddButton"), kCmdAddButton);
    EXPECT_EQ(MainMenu::CommandOf("DelButton"), kCmdDelButton);
    EXPECT_EQ(MainMenu::CommandOf("sep1"), -1);
    EXPECT_EQ(MainMenu::CommandOf(""), -1);
    EXPECT_EQ(MainMenu::CommandOf("exit"), -1);  // exact case
}

TEST_F(CommandsTest, ADismissedMenuRunsNothingAndIsStillStored) {
    s.AutoHideOn = true;
    menu.TabStripRightClick(0x77, 150.4, 300.5);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.lastOwner, 0x77u);
    EXPECT_EQ(presenter.at.x, 150);
    EXPECT_EQ(presenter.at.y, 300);  // halves to even
    Popup().LoadMenu(kMainMenu);
    EXPECT_TRUE(Popup().Item(2).checked);
    EXPECT_FALSE(Popup().Item(3).checked);
    EXPECT_TRUE(w.host.forms.empty());
    EXPECT_EQ(windows.about, 0);
}

TEST_F(CommandsTest, RightClicksSwitchTheProgramItems) {
    Sections({"A", "B", "C"});
    floating.AddButton(2, "Calc2", "no");
    menu.ToolbarRightClick(2, "Calc2", 0x55, 10, 10);
    EXPECT_EQ(s.PopupToolbarIndex, 2);
    EXPECT_TRUE(presenter.shown.back()[7].enabled);
    EXPECT_TRUE(presenter.shown.back()[8].enabled);
    menu.ToolbarRightClick(2, "", 0x55, 10, 10);  // no program under the mouse
    EXPECT_TRUE(presenter.shown.back()[7].enabled);
    EXPECT_FALSE(presenter.shown.back()[8].enabled);
    menu.TabStripRightClick(0x66, 10, 10);
    EXPECT_FALSE(presenter.shown.back()[7].enabled);
    EXPECT_FALSE(presenter.shown.back()[8].enabled);
    EXPECT_EQ(s.PopupToolbarIndex, 2);
}

TEST_F(CommandsTest, AutoHideAndFixedRenewTheRegistration) {
    presenter.choices = {2};  // "AutoHide"
    menu.TabStripRightClick(1, 0, 0);
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_FALSE(floatingBar.detecting);
    EXPECT_THAT(shell.log, ::testing::Contains("SETAUTOHIDEBAR edge 1 on"));
    menu.TabStripRightClick(1, 0, 0);
    EXPECT_TRUE(presenter.shown.back()[1].checked);
    EXPECT_FALSE(presenter.shown.back()[2].checked);
    presenter.choices = {3};  // "Fixed"
    menu.TabStripRightClick(1, 0, 0);
    EXPECT_FALSE(s.AutoHideOn);
    EXPECT_TRUE(shell.autoHide.empty());
}

TEST_F(CommandsTest, AddingSectionsWritesABareHeaderAndTakesFreeIndices) {
    Sections({"A", "B", "C"});
    RemoveSection(editing, 2);  // w.box answers OK: toolbar 1 goes
    ASSERT_FALSE(floating.HasToolbar(1));
    input.answers = {"Games"};
    menu.RunCommand(kCmdAddSection);
    EXPECT_THAT(floating.tabs.Names(), ElementsAre("A", "C", "Games"));
    EXPECT_THAT(docked.tabs.Names(), ElementsAre("A", "C", "Games"));
    // Index 3 would be the element count; 1 is free and taken instead.
    EXPECT_EQ(floating.ToolbarTag(1), "Games");
    EXPECT_EQ(docked.ToolbarTag(1), "Games");
    EXPECT_EQ(floating.At(1).images, ImageListSize::Small);
    EXPECT_EQ(Catalogue(), "[A]\r\n[C]\r\n[Games]\r\n");
    EXPECT_EQ(w.files.saves, 2);  // one save per command
    EXPECT_EQ(w.files.files.at(std::string(kCatalogue) + ".bak"), "[A]\r\n[C]\r\n");
    EXPECT_TRUE(w.box.shown.size() == 1);  // only the deletion question
}

TEST_F(CommandsTest, SectionNamesTakenInAnyLetterCaseAreRefusedAndCancelCreatesNothing) {
    Sections({"Tools"});
    // A section the file holds without a tab ("[ Web ]" is no header to the
    // loader) is taken all the same.
    w.files.files[kCatalogue] += "[ Web ]\r\n";
    const std::string before = Catalogue();
    for (const char* name : {"Tools", "tools", "WEB"}) {
        input.answers = {name};
        menu.RunCommand(kCmdAddSection);
    }
    ASSERT_EQ(w.box.shown.size(), 3u);
    EXPECT_EQ(w.box.shown[0].text, "Tab already exist!");
    EXPECT_EQ(w.box.shown[0].title, "Create tab");
    input.answers = {std::nullopt};
    menu.RunCommand(kCmdAddSection);
    input.answers = {""};
    menu.RunCommand(kCmdAddSection);
    EXPECT_THAT(floating.tabs.Names(), ElementsAre("Tools"));
    EXPECT_EQ(Catalogue(), before);
    EXPECT_EQ(w.files.saves, 0);
}

TEST_F(CommandsTest, DeletingASectionAsksAndCancelChangesNothing) {
    Sections({"A", "B"});
    floating.tabs.SelectTab(2);
    docked.tabs.SelectTab(2);
    w.box.answer = BoxAnswer::Cancel;
    menu.RunCommand(kCmdDelSection);
    EXPECT_EQ(w.box.shown[0].text, "Delete section: B?");
    EXPECT_EQ(w.box.shown[0].title, "Deleting section");
    EXPECT_EQ(floating.tabs.TabCount(), 2);
    EXPECT_EQ(w.files.saves, 0);
    w.box.answer = BoxAnswer::Ok;
    menu.RunCommand(kCmdDelSection);
    EXPECT_THAT(floating.tabs.Names(), ElementsAre("A"));
    EXPECT_THAT(docked.tabs.Names(), ElementsAre("A"));
    EXPECT_THAT(floating.ToolbarIndices(), ElementsAre(0));
    EXPECT_EQ(Catalogue(), "[A]\r\n");
}

TEST_F(CommandsTest, CommandsTakeTheCurrentTabOfTheVisibleWindow) {
    Sections({"A", "B"});
    floating.tabs.current = 1;
    docked.tabs.current = 2;
    windows.dockVisible = true;
    w.box.answer = BoxAnswer::Cancel;
    menu.RunCommand(kCmdDelSection);
    EXPECT_EQ(w.box.shown.back().text, "Delete section: B?");
    windows.dockVisible = false;
    menu.RunCommand(kCmdDelSection);
    EXPECT_EQ(w.box.shown.back().text, "Delete section: A?");
}

TEST_F(CommandsTest, DeletingTheFirstToolbarsSectionLeavesNoStaleButtons) {
    Sections({"A", "B"});
    floating.AddButton(0, "Old0", "no");
    docked.AddButton(0, "Old0", "no");
    RemoveSection(editing, 1);
    RemoveSection(editing, 1);
    input.answers = {"Fresh"};
    menu.RunCommand(kCmdAddSection);
    EXPECT_EQ(floating.ToolbarTag(0), "Fresh");
    EXPECT_THAT(floating.ButtonKeys(0), IsEmpty());
    EXPECT_THAT(docked.ButtonKeys(0), IsEmpty());
    EXPECT_TRUE(floating.ToolbarVisible(0));
}

TEST_F(CommandsTest, AddingAProgram) {
    Sections({"A", "B"});
    w.files.files["C:\\Tools\\calc.exe"] = "";
    floating.AddButton(1, "x1", "no");
    fileDialog.next = "C:\\Tools\\calc.exe";
    input.answers = {"Calculator"};
    s.PopupToolbarIndex = 1;
    floating.tabs.current = 2;
    menu.RunCommand(kCmdAddButton);
    EXPECT_THAT(fileDialog.opened, ElementsAre("Select file|Exe files|*.exe|MS Access files|*.mdb|All files|*.*||1"));
    EXPECT_THAT(input.asked, ElementsAre("Create caption for button|Create button|C:\\Tools\\calc.exe"));
    EXPECT_THAT(floating.ButtonKeys(1), ElementsAre("x1", "Calculator1"));
    EXPECT_THAT(docked.ButtonKeys(1), ElementsAre("Calculator1"));
    EXPECT_EQ(floating.GetButtonImage(1, "Calculator1"), "i_2_2");
    EXPECT_EQ(docked.GetButtonTag(1, "Calculator1").target, "C:\\Tools\\calc.exe");
    EXPECT_EQ(docked.GetButtonToolTip(1, "Calculator1"), "Calculator");
    EXPECT_THAT(icons.stored, ElementsAre("i_2_2"));
    EXPECT_EQ(Catalogue(), "[A]\r\n[B]\r\nCalculator=C:\\Tools\\calc.exe\r\n");
}

TEST_F(CommandsTest, ProgramEditingStopsQuietlyOrWithItsMessage) {
    Sections({"A"});
    w.files.files["C:\\a.exe"] = "";
    // A cancelled dialog ends it, even after an earlier use picked a file.
    fileDialog.next = std::nullopt;
    input.answers = {"Never asked"};
    menu.RunCommand(kCmdAddButton);
    EXPECT_TRUE(input.asked.empty());
    fileDialog.next = "C:\\missing.exe";
    menu.RunCommand(kCmdAddButton);
    EXPECT_TRUE(input.asked.empty());
    fileDialog.next = "C:\\a.exe";
    input.answers = {""};
    menu.RunCommand(kCmdAddButton);
    // A name the section holds in any letter case, on the bar or only in
    // the file, is refused; adding it would overwrite that entry's target.
    Program(0, "Notepad");
    w.files.files[kCatalogue] = "[A]\r\nNotepad=C:\\notepad.exe\r\nhidden=C:\\h.exe\r\n";
    input.answers = {"notepad", "HIDDEN"};
    menu.RunCommand(kCmdAddButton);
    menu.RunCommand(kCmdAddButton);
    ASSERT_EQ(w.box.shown.size(), 2u);
    EXPECT_EQ(w.box.shown[0].text, "Button already exist!");
    EXPECT_EQ(w.box.shown[0].title, "Add button");
    EXPECT_EQ(w.box.shown[0].icon, BoxIcon::Critical);
    EXPECT_EQ(w.files.saves, 0);
    EXPECT_THAT(floating.ButtonKeys(0), ElementsAre("Notepad0"));
}

TEST_F(CommandsTest, PicturesForNewProgramsFollowTheSizeAndMdbFiles) {
    Sections({"A"});
    w.files.files["C:\\noicon.exe"] = "";
    w.files.files["D:\\sales.Mdb"] = "";
    fileDialog.next = "C:\\noicon.exe";
    input.answers = {"Plain", "Db"};
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(floating.GetButtonImage(0, "Plain0"), "no");
    EXPECT_THAT(icons.stored, ElementsAre("i_1_1"));  // stored all the same
    fileDialog.next = "D:\\sales.Mdb";
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(floating.GetButtonImage(0, "Db0"), "mdb");
    EXPECT_EQ(icons.stored.size(), 1u);
}

TEST_F(CommandsTest, ANewProgramNeverTakesAPictureKeyAlreadyHandedOut) {
    Sections({"A"});
    Program(0, "One", "i_1_1");
    Program(0, "Two", "i_1_2");
    Program(0, "Three", "i_1_3");
    for (FakeBar* bar : {&floating, &docked}) bar->RemoveButton(0, "Two0");
    w.files.files["C:\\four.exe"] = "";
    fileDialog.next = "C:\\four.exe";
    input.answers = {"Four", "Five"};
    menu.RunCommand(kCmdAddButton);
    // Two buttons are left, but "i_1_3" is Three's picture.
    EXPECT_EQ(floating.GetButtonImage(0, "Four0"), "i_1_4");
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(floating.GetButtonImage(0, "Five0"), "i_1_5");
    EXPECT_THAT(icons.stored, ElementsAre("i_1_4", "i_1_5"));
}

TEST_F(CommandsTest, ASaveThatFailsIsReportedWithTheFileAndChangesNothing) {
    Sections({"A", "B"});
    Program(1, "Calc");
    w.files.files[kCatalogue] = "[A]\r\n[B]\r\nCalc=C:\\calc.exe\r\n";
    w.files.files["C:\\new.exe"] = "";
    const std::string before = Catalogue();
    w.files.readOnlyFiles.insert(kCatalogue);
    const std::string report =
        "Cannot save C:\\Apps\\Larkspan\\zentrol.ini. Permission denied (70).";

    input.answers = {"Games", "New"};
    menu.RunCommand(kCmdAddSection);
    EXPECT_EQ(w.box.shown.back().text, report);
    s.PopupToolbarIndex = 1;
    floating.tabs.current = 2;
    fileDialog.next = "C:\\new.exe";
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(w.box.shown.back().text, report);
    presenter.choices = {9};  // "Delete Program", then OK to the question
    menu.ToolbarRightClick(1, "Calc1", 0x55, 0, 0);
    EXPECT_EQ(w.box.shown.back().text, report);
    menu.RunCommand(kCmdDelSection);
    EXPECT_EQ(w.box.shown.back().text, report);

    EXPECT_THAT(floating.tabs.Names(), ElementsAre("A", "B"));
    EXPECT_THAT(docked.tabs.Names(), ElementsAre("A", "B"));
    EXPECT_THAT(floating.ButtonKeys(1), ElementsAre("Calc1"));
    EXPECT_THAT(docked.ButtonKeys(1), ElementsAre("Calc1"));
    EXPECT_EQ(Catalogue(), before);
}

TEST_F(CommandsTest, DeletingAProgramRemovesItsButtonsAndOnlyItsEntry) {
    Sections({"A", "B"});
    Program(1, "Notepad");
    Program(1, "Calc");
    w.files.files[kCatalogue] = "[A]\r\n[B]\r\nnotepad = C:\\n.exe\r\nCalc=C:\\calc.exe\r\n";
    presenter.choices = {9};  // "Delete Program"
    w.box.answer = BoxAnswer::Ok;
    menu.ToolbarRightClick(1, "Notepad1", 0x55, 0, 0);
    EXPECT_EQ(w.box.shown.back().text, "Delete program: Notepad?");
    EXPECT_THAT(floating.ButtonKeys(1), ElementsAre("Calc1"));
    EXPECT_THAT(docked.ButtonKeys(1), ElementsAre("Calc1"));
    EXPECT_EQ(Catalogue(), "[A]\r\n[B]\r\nCalc=C:\\calc.exe\r\n");
}

TEST_F(CommandsTest, AFailingCommandIsReportedWithoutContext) {
    Sections({"A"});
    s.CatalogueIni.reset();
    input.answers = {"New"};
    menu.RunCommand(kCmdAddSection);
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Object variable or With block variable not set (91).");
}

TEST_F(CommandsTest, ExitShutsDownThroughTheMenu) {
    w.host.forms.emplace_back("f_Float", w.host.log);
    presenter.choices = {14};
    menu.TabStripRightClick(1, 0, 0);
    EXPECT_TRUE(s.Quitting);
    EXPECT_THAT(w.host.log, ::testing::Contains("unload:f_Float"));
    EXPECT_FALSE(s.MainPopup);
}

}  // namespace
}  // namespace lark::test
