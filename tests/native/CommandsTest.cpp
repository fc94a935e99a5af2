#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <functional>
#include <set>

#include "FakeBar.h"
#include "Fakes.h"
#include "base/BarWindowView.h"
#include "FakeShell.h"
#include "RcTexts.h"
#include "base/Texts.h"
#include "bar/BarArrangement.h"
#include "commands/Arranging.h"
#include "commands/MainMenu.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;
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
        const std::vector<std::string> keys = {"addsection", "delsection", "addbutton",    "delbutton",
                                               "about",      "options",    "exit",         "rename",
                                               "properties", "openlocation", "runas", "renamesection"};
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

class FakeProperties : public IPropertiesDialog {
public:
    std::optional<ProgramProperties> Edit(const ProgramProperties& values, const std::string& picture) override {
        shown.push_back(values);
        pictures.push_back(picture);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<ProgramProperties>> answers;
    std::vector<ProgramProperties> shown;
    std::vector<std::string> pictures;
};

class RecordingLauncher : public IShellLauncher {
public:
    LaunchResult Execute(uintptr_t, const std::optional<std::string>& verb, const std::string& file,
                         const std::optional<std::string>& parameters, const std::optional<std::string>&,
                         int) override {
        calls.push_back(verb.value_or("") + "|" + file + "|" + parameters.value_or("(none)"));
        return {};
    }
    std::vector<std::string> calls;
};

class FakeWindows : public ICommandWindows {
public:
    void ShowAboutModal() override { ++about; }
    void ShowOptionsModal() override { ++options; }
    void Exit() override { exit(); }
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
        s.Bar.Attach(floatingView);
        s.Bar.Attach(dockedView);
    }
    // Tabs and toolbars as a load of these sections leaves them, and the
    // catalogue they came from.
    void Sections(std::initializer_list<const char*> names) {
        int32_t index = 0;
        std::string& file = w.files.files[kCatalogue];
        file.clear();
        for (const char* name : names) {
            file += "[" + std::string(name) + "]\r\n";
            s.Bar.AddSection(name, index++);
        }
        s.Bar.ShowSection(1);
    }
    std::string Catalogue() { return w.files.files.at(kCatalogue); }
    // Keys of a toolbar on both windows, which must agree.
    std::vector<std::string> Keys(int32_t toolbar) {
        EXPECT_EQ(floating.ButtonKeys(toolbar), docked.ButtonKeys(toolbar)) << "toolbar " << toolbar;
        return floating.ButtonKeys(toolbar);
    }
    // A loaded program button: keyed as the loader keys it, named by its tooltip.
    void Program(int32_t toolbar, const std::string& name, const std::string& picture = "no",
                 const std::string& target = "", const std::string& arguments = "") {
        s.Bar.AddButton(toolbar, BarButton{"", name, target, arguments, picture, false});
    }

    static constexpr const char* kCatalogue = "C:\\Apps\\Larkspan\\zentrol.ini";
    PMenu& Popup() { return *s.MainPopup; }

    FakeWorld w;
    AppState& s = w.app.state;
    FakeBar floating, docked;
    BarWindowView floatingView{floating}, dockedView{docked};
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
    FakePictures pictures;
    FakeProperties properties;
    RecordingLauncher launcher;
    EditingContext editing{s, s.Bar, input, fileDialog, w.box, w.files, icons, pictures, properties, launcher};
    BarArrangement arrangement{s, floatingBar, dockedBar, shell, monitors, edgeTaken, events, w.pointer, w.app.errors};
    MainMenu menu{w.app, presenter, images, editing, arrangement, floatingBar, windows};
};

TEST_F(CommandsTest, TheMenuEndsWithExitAfterTheGroupThatArrangesTheBar) {
    PMenu& m = Popup();
    ASSERT_EQ(m.ItemCount(), 20);
    EXPECT_EQ(m.ItemIndex("Exit"), 20);
    EXPECT_EQ(m.ItemIndex("AddSection"), 5);
    EXPECT_EQ(m.ItemIndex("sep2"), 7);
    EXPECT_EQ(m.ItemIndex("sep1"), 19);
    EXPECT_EQ(m.ItemIndex(""), 0);  // headers are never found by key
    for (int32_t p = 1; p <= 20; ++p) EXPECT_EQ(m.Item(p).header, p == 1 || p == 4 || p == 10 || p == 16) << p;
    EXPECT_EQ(m.Item(4).caption, "Sections");
    EXPECT_EQ(m.Item(16).caption, "General");
    EXPECT_EQ(m.Item(17).caption, "About ...");
    EXPECT_EQ(m.Item(5).image, 0);
    EXPECT_EQ(m.Item(20).image, 6);
    EXPECT_EQ(m.Item(2).image, -1);
    EXPECT_FALSE(m.Item(2).checked);  // AutoHideOn was false
    EXPECT_TRUE(m.Item(3).checked);
    EXPECT_EQ(m.Colours().first, 0x804000u);
    EXPECT_EQ(m.Colours().second, 0xFFFFFFu);
    EXPECT_EQ(m.Colours().third, 0x804000u);

    const char* captions[] = {"Edit", "Rename\u2026", "Properties\u2026", "Open file location",
                              "Run as administrator", "Rename Section\u2026"};
    const char* keys[] = {"", "Rename", "Properties", "OpenLocation", "RunAsAdmin", "RenameSection"};
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(m.Item(10 + i).caption, captions[i]);
        EXPECT_EQ(m.Item(10 + i).key, keys[i]);
        EXPECT_EQ(m.Item(10 + i).image, i == 0 ? -1 : 6 + i);
    }
}

// Screen readers and the keyboard find the owner-drawn items by their text.
TEST_F(CommandsTest, EveryItemOfTheMenuHasAnAccessKeyOfItsOwn) {
    std::vector<MenuItem> items;
    for (int32_t p = 1; p <= Popup().ItemCount(); ++p) items.push_back(Popup().Item(p));
    const std::vector<std::string> texts = MenuTexts(items);
    ASSERT_EQ(texts.size(), items.size());
    std::set<char> keys;
    for (size_t i = 0; i < items.size(); ++i) {
        std::string shown = texts[i];
        const size_t amp = shown.find('&');
        if (items[i].header || items[i].caption == "-") {
            EXPECT_EQ(shown, items[i].caption);
            EXPECT_EQ(AccessKey(shown), "");
            continue;
        }
        ASSERT_NE(amp, std::string::npos) << items[i].caption;
        EXPECT_EQ(AccessKey(shown), shown.substr(amp + 1, 1));
        EXPECT_TRUE(keys.insert(static_cast<char>(std::toupper(shown[amp + 1]))).second) << shown;
        shown.erase(amp, 1);
        EXPECT_EQ(shown, items[i].caption);
    }
    EXPECT_EQ(texts[1], "&AutoHide");
    EXPECT_EQ(texts[4], "Add &Section");  // "A" is AutoHide's

    // In every language, even where an item's letters are all another's
    // first choice (Spanish "Salir").
    struct LanguageTexts : lark::ITextSource {
        test::RcLanguage language;
        std::string Load(int id) const override {
            const auto found = language.strings.find(id);
            return found == language.strings.end() ? std::string() : found->second;
        }
    };
    static LanguageTexts languages[4];  // the texts outlive the test: the last stays in use
    const char* const codes[] = {"de", "fr", "es", "en"};
    for (size_t l = 0; l < 4; ++l) {
        SCOPED_TRACE(codes[l]);
        languages[l].language = test::ReadLanguage(codes[l]);
        lark::UseTexts(&languages[l]);
        menu.BuildMainMenu();
        std::vector<MenuItem> translated;
        for (int32_t p = 1; p <= Popup().ItemCount(); ++p) translated.push_back(Popup().Item(p));
        std::set<std::string> taken;
        for (const std::string& text : MenuTexts(translated)) {
            if (text == "-") continue;
            const std::string key = AccessKey(text);
            if (key.empty()) continue;  // a header
            EXPECT_TRUE(taken.insert(std::string(1, static_cast<char>(std::toupper(key[0])))).second) << text;
        }
        EXPECT_EQ(taken.size(), translated.size() - 6) << "four headers and two separators take none";
    }
    // The item left without a letter takes one from an item that can move on.
    std::vector<MenuItem> crowded(3);
    crowded[0].caption = "Ab";
    crowded[1].caption = "Bc";
    crowded[2].caption = "ab";
    EXPECT_THAT(MenuTexts(crowded), ::testing::ElementsAre("&Ab", "B&c", "a&b"));

    // A caption's own key stays and is taken first; letters compare in any case.
    std::vector<MenuItem> own(3);
    own[0].caption = "open";
    own[1].caption = "&Options";
    own[2].caption = "Over";
    EXPECT_THAT(MenuTexts(own), ::testing::ElementsAre("o&pen", "&Options", "O&ver"));

    // The key after a lone "&", a whole character however long.
    EXPECT_EQ(AccessKey("Fish && &Chips"), "C");
    EXPECT_EQ(AccessKey("&&&x"), "x");
    EXPECT_EQ(AccessKey("Fish && Chips"), "");
    EXPECT_EQ(AccessKey("end&"), "");
    EXPECT_EQ(AccessKey("\u00dc&\u00f6ffnen"), "\u00f6");
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
    EXPECT_THROW(m.SetChecked(21, true), RuntimeError);
}

TEST_F(CommandsTest, KeysMapToTheirCommandsAndTheRestRunNothing) {
    EXPECT_EQ(MainMenu::CommandOf("Exit"), kCmdExit);
    EXPECT_EQ(MainMenu::CommandOf("AddButton"), kCmdAddButton);
    EXPECT_EQ(MainMenu::CommandOf("DelButton"), kCmdDelButton);
    EXPECT_EQ(MainMenu::CommandOf("Rename"), kCmdRename);
    EXPECT_EQ(MainMenu::CommandOf("RenameSection"), kCmdRenameSection);
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
    // No command ran: no exit, no dialog, no arrangement, nothing saved.
    EXPECT_FALSE(s.Quitting);
    EXPECT_EQ(windows.about + windows.options, 0);
    EXPECT_TRUE(shell.log.empty());
    EXPECT_EQ(w.files.saves, 0);
}

TEST_F(CommandsTest, RightClicksSwitchTheItemsOfWhatIsUnderTheMouse) {
    Sections({"A", "B", "C"});
    Program(2, "Calc", "no", "C:\\calc.exe");
    Program(2, "Web", "no", "http://example.com/");
    Program(2, "Mail", "no", "mailto:someone@example.com");
    // Enabled: add, delete, rename, properties, open location, run as administrator, rename section.
    auto enabled = [&] {
        std::string out;
        for (size_t i : {7, 8, 10, 11, 12, 13, 14}) out += presenter.shown.back()[i].enabled ? '1' : '0';
        return out;
    };
    menu.ToolbarRightClick(2, "Calc2", 0x55, 10, 10);
    EXPECT_EQ(s.PopupToolbarIndex, 2);
    EXPECT_EQ(enabled(), "1111110");
    for (const char* address : {"Web2", "Mail2"}) {  // no folder, no program to elevate
        menu.ToolbarRightClick(2, address, 0x55, 10, 10);
        EXPECT_EQ(enabled(), "1111000") << address;
    }
    menu.ToolbarRightClick(2, "", 0x55, 10, 10);  // no program under the mouse
    EXPECT_EQ(enabled(), "1000000");
    menu.TabStripRightClick(0x66, 10, 10, 2);
    EXPECT_EQ(enabled(), "0000001");
    menu.TabStripRightClick(0x66, 10, 10);  // beside the tabs
    EXPECT_EQ(enabled(), "0000000");
    EXPECT_EQ(s.PopupToolbarIndex, 2);
}

TEST_F(CommandsTest, AutoHideAndFixedRenewTheRegistration) {
    presenter.choices = {2};  // "AutoHide"
    menu.TabStripRightClick(1, 0, 0);
    EXPECT_TRUE(s.AutoHideOn);
    EXPECT_FALSE(floatingBar.detecting);
    EXPECT_THAT(shell.log, ::testing::Contains("SETAUTOHIDEBAREX edge 1 on"));
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
    s.Bar.ShowSection(2);
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

TEST_F(CommandsTest, CommandsTakeTheSectionShownInEveryWindow) {
    Sections({"A", "B"});
    s.Bar.ShowSection(2);
    EXPECT_EQ(floating.tabs.current, 2);
    EXPECT_EQ(docked.tabs.current, 2);
    w.box.answer = BoxAnswer::Cancel;
    menu.RunCommand(kCmdDelSection);
    EXPECT_EQ(w.box.shown.back().text, "Delete section: B?");
    s.Bar.ShowSection(1);
    menu.RunCommand(kCmdDelSection);
    EXPECT_EQ(w.box.shown.back().text, "Delete section: A?");
}

TEST_F(CommandsTest, DeletingTheFirstToolbarsSectionLeavesNoStaleButtons) {
    Sections({"A", "B"});
    Program(0, "Old");
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
    s.Bar.ShowSection(2);
    menu.RunCommand(kCmdAddButton);
    EXPECT_THAT(fileDialog.opened, ElementsAre("Select file|Exe files|*.exe|MS Access files|*.mdb|All files|*.*||1"));
    EXPECT_THAT(input.asked, ElementsAre("Create caption for button|Create button|C:\\Tools\\calc.exe"));
    EXPECT_THAT(floating.ButtonKeys(1), ElementsAre("x1", "Calculator1"));
    EXPECT_THAT(docked.ButtonKeys(1), ElementsAre("Calculator1"));
    EXPECT_EQ(floating.GetButtonImage(1, "Calculator1"), "i_C:\\Tools\\calc.exe");
    EXPECT_EQ(docked.GetButtonTag(1, "Calculator1").target, "C:\\Tools\\calc.exe");
    EXPECT_EQ(docked.GetButtonToolTip(1, "Calculator1"), "Calculator");
    EXPECT_THAT(icons.stored, ElementsAre("i_C:\\Tools\\calc.exe"));
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
    EXPECT_THAT(icons.stored, ElementsAre("i_C:\\noicon.exe"));  // stored all the same
    fileDialog.next = "D:\\sales.Mdb";
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(floating.GetButtonImage(0, "Db0"), "mdb");
    EXPECT_EQ(icons.stored.size(), 1u);
}

TEST_F(CommandsTest, ANewProgramsPictureIsItsTargetsAndChangesNoOtherButtons) {
    Sections({"A"});
    Program(0, "One", "i_C:\\1.exe", "C:\\1.exe");
    Program(0, "Three", "i_C:\\3.exe", "C:\\3.exe");
    w.files.files["C:\\four.exe"] = "";
    w.files.files["C:\\3.exe"] = "";
    fileDialog.next = "C:\\four.exe";
    input.answers = {"Four", "Again"};
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(floating.GetButtonImage(0, "Four0"), "i_C:\\four.exe");
    // A second button of a target shows the same picture.
    fileDialog.next = "C:\\3.exe";
    menu.RunCommand(kCmdAddButton);
    EXPECT_EQ(floating.GetButtonImage(0, "Again0"), "i_C:\\3.exe");
    EXPECT_EQ(floating.GetButtonImage(0, "One0"), "i_C:\\1.exe");
    EXPECT_THAT(icons.stored, ElementsAre("i_C:\\four.exe", "i_C:\\3.exe"));
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
    s.Bar.ShowSection(2);
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

TEST_F(CommandsTest, DraggingAlongTheToolbarWritesTheSectionInTheBarsOrder) {
    Sections({"Tools"});
    for (const char* name : {"One", "Two", "Three"}) Program(0, name);
    w.files.files[kCatalogue] = "[Tools]\r\nOne=C:\\1.exe\r\nTwo = C:\\2.exe\r\n; mine\r\nThree=C:\\3.exe\r\n";
    MoveProgram(editing, 0, "Three0", 0, 0);  // to the front
    EXPECT_THAT(Keys(0), ElementsAre("Three0", "One0", "Two0"));
    EXPECT_EQ(Catalogue(), "[Tools]\r\nThree=C:\\3.exe\r\nOne=C:\\1.exe\r\n; mine\r\nTwo = C:\\2.exe\r\n");
    MoveProgram(editing, 0, "Three0", 0, 3);  // to the end
    EXPECT_THAT(Keys(0), ElementsAre("One0", "Two0", "Three0"));
    EXPECT_EQ(Catalogue(), "[Tools]\r\nOne=C:\\1.exe\r\nTwo = C:\\2.exe\r\n; mine\r\nThree=C:\\3.exe\r\n");
    EXPECT_EQ(w.files.saves, 2);
    // Onto itself, before or after: nothing moves, nothing is saved.
    MoveProgram(editing, 0, "Two0", 0, 1);
    MoveProgram(editing, 0, "Two0", 0, 2);
    EXPECT_THAT(Keys(0), ElementsAre("One0", "Two0", "Three0"));
    EXPECT_EQ(w.files.saves, 2);
}

TEST_F(CommandsTest, DraggingOntoAnotherSectionMovesItsLineUnlessTheNameIsTakenThere) {
    Sections({"Tools", "Games", "Empty"});
    Program(0, "One");
    Program(0, "Two", "i_1_2", "C:\\2.exe", "-x");
    Program(1, "Chess");
    Program(1, "one");
    w.files.files[kCatalogue] =
        "[Tools]\r\nOne=C:\\1.exe\r\nTwo=\"C:\\2.exe\" -x\r\n[Games]\r\nChess=C:\\c.exe\r\none=C:\\o.exe\r\n[Empty]\r\n";
    MoveProgram(editing, 0, "Two0", 2, -1);  // into an empty section, keyed for its toolbar
    EXPECT_THAT(Keys(0), ElementsAre("One0"));
    EXPECT_THAT(Keys(2), ElementsAre("Two2"));
    EXPECT_EQ(docked.GetButtonTag(2, "Two2").arguments, "-x");
    EXPECT_EQ(docked.GetButtonToolTip(2, "Two2"), "Two");
    EXPECT_EQ(docked.GetButtonImage(2, "Two2"), "i_1_2");  // its picture goes with it
    EXPECT_EQ(Catalogue(), "[Tools]\r\nOne=C:\\1.exe\r\n[Games]\r\nChess=C:\\c.exe\r\none=C:\\o.exe\r\n[Empty]\r\n"
                           "Two=\"C:\\2.exe\" -x\r\n");
    MoveProgram(editing, 2, "Two2", 1, 0);  // where it was dropped in a section shown
    EXPECT_THAT(Keys(1), ElementsAre("Two1", "Chess1", "one1"));
    EXPECT_EQ(Catalogue(), "[Tools]\r\nOne=C:\\1.exe\r\n[Games]\r\nTwo=\"C:\\2.exe\" -x\r\nChess=C:\\c.exe\r\n"
                           "one=C:\\o.exe\r\n[Empty]\r\n");
    EXPECT_EQ(w.files.saves, 2);

    // Games holds "one": One cannot go there.
    MoveProgram(editing, 0, "One0", 1, 0);
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Button already exist!");
    EXPECT_THAT(Keys(0), ElementsAre("One0"));
    EXPECT_EQ(w.files.saves, 2);
}

TEST_F(CommandsTest, DroppedProgramsLandInTheirOrderWhereTheyFellAndTakenNamesAreRefusedOnce) {
    Sections({"Tools"});
    Program(0, "One");
    Program(0, "Two");
    w.files.files[kCatalogue] = "[Tools]\r\nOne=C:\\1.exe\r\nTwo=C:\\2.exe\r\n";
    pictures.withIcons = {"C:\\calc.exe", "C:\\ed.exe"};
    AddPrograms(editing, 0, 1,
                {{"Calc", "C:\\calc.exe", ""}, {"two", "C:\\x.exe", ""}, {"Docs", "D:\\Docs", ""},
                 {"Ed", "C:\\ed.exe", "-n"}, {"calc", "C:\\again.exe", ""}});
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Button already exist!");
    EXPECT_THAT(Keys(0), ElementsAre("One0", "Calc0", "Docs0", "Ed0", "Two0"));
    EXPECT_EQ(docked.GetButtonImage(0, "Calc0"), "i_C:\\calc.exe");
    EXPECT_EQ(docked.GetButtonImage(0, "Docs0"), "folder");
    EXPECT_EQ(docked.GetButtonImage(0, "Ed0"), "i_C:\\ed.exe");  // its target's, arguments or not
    EXPECT_EQ(docked.GetButtonTag(0, "Ed0").arguments, "-n");
    EXPECT_EQ(Catalogue(), "[Tools]\r\nOne=C:\\1.exe\r\nCalc=C:\\calc.exe\r\nDocs=D:\\Docs\r\n"
                           "Ed=\"C:\\ed.exe\" -n\r\nTwo=C:\\2.exe\r\n");
    EXPECT_EQ(w.files.saves, 1);

    // A save that fails leaves the bar as it was.
    w.files.readOnlyFiles.insert(kCatalogue);
    EXPECT_THROW(AddPrograms(editing, 0, -1, {{"New", "C:\\new.exe", ""}}), RuntimeError);
    EXPECT_THAT(Keys(0), ElementsAre("One0", "Calc0", "Docs0", "Ed0", "Two0"));
}

TEST_F(CommandsTest, ProgramsSentFromOutsideGoToTheEndOfTheirSectionMadeWhenMissing) {
    // An empty bar makes a section for them.
    AddProgramsToSection(editing, std::nullopt, {{"Calc", "C:\\calc.exe", ""}});
    EXPECT_THAT(floating.TabControl1().TabCount(), 1);
    EXPECT_EQ(Catalogue(), "[New Tab]\r\nCalc=C:\\calc.exe\r\n");

    s.Bar.Clear();
    Sections({"Tools", "Games"});
    Program(0, "One");
    w.files.files[kCatalogue] = "[Tools]\r\nOne=C:\\1.exe\r\n[Games]\r\n";
    s.Bar.ShowSection(2);
    // Without a name: the section shown, at its end.
    AddProgramsToSection(editing, std::nullopt, {{"Solitaire", "C:\\sol.exe", ""}});
    // A name in another letter case is that section, which comes on screen.
    AddProgramsToSection(editing, std::string("tools"), {{"Two", "C:\\2.exe", ""}, {"one", "C:\\x.exe", ""}});
    EXPECT_EQ(s.Bar.Shown(), 1);
    EXPECT_THAT(Keys(0), ElementsAre("One0", "Two0"));
    EXPECT_THAT(Keys(1), ElementsAre("Solitaire1"));
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "Button already exist!");
    // A new name is a new section at the end, saved before its programs.
    AddProgramsToSection(editing, std::string(" Docs "), {{"Notes", "D:\\notes.txt", ""}});
    EXPECT_EQ(s.Bar.Shown(), 3);
    EXPECT_EQ(s.Bar.SectionAt(3)->name, "Docs");
    EXPECT_EQ(Catalogue(), "[Tools]\r\nOne=C:\\1.exe\r\nTwo=C:\\2.exe\r\n[Games]\r\nSolitaire=C:\\sol.exe\r\n"
                           "[Docs]\r\nNotes=D:\\notes.txt\r\n");
    // A name no header can hold changes nothing.
    AddProgramsToSection(editing, std::string("a]b"), {{"X", "C:\\x.exe", ""}});
    EXPECT_EQ(s.Bar.SectionCount(), 3);
    EXPECT_EQ(w.box.shown.back().text, "A section name can't contain ].");
    EXPECT_EQ(SectionNamed(s.Bar, "GAMES"), 2);
    EXPECT_EQ(SectionNamed(s.Bar, "Gam"), 0);
}

TEST_F(CommandsTest, RenamesThroughTheMenuChangeOnlyThatKeyOrHeader) {
    Sections({"Tools", "Games"});
    Program(0, "One");
    Program(0, "Two");
    w.files.files[kCatalogue] = "[Tools]\r\nOne = C:\\1.exe\r\nTwo=C:\\2.exe\r\n[Games]\r\n";
    auto rename = [&](const char* key, std::optional<std::string> answer) {
        presenter.choices = {11};  // "Rename…"
        input.answers = {std::move(answer)};
        menu.ToolbarRightClick(0, key, 0x55, 0, 0);
    };
    rename("One0", " Uno ");
    EXPECT_THAT(input.asked, ElementsAre("New name:|Rename Program|One"));
    EXPECT_THAT(Keys(0), ElementsAre("Uno0", "Two0"));
    EXPECT_EQ(docked.GetButtonToolTip(0, "Uno0"), "Uno");
    EXPECT_EQ(Catalogue(), "[Tools]\r\nUno= C:\\1.exe\r\nTwo=C:\\2.exe\r\n[Games]\r\n");
    rename("Uno0", "two");  // another's name
    rename("Uno0", "a=b");
    rename("Uno0", std::nullopt);
    ASSERT_EQ(w.box.shown.size(), 2u);
    EXPECT_EQ(w.box.shown[0].text, "Button already exist!");
    EXPECT_EQ(w.box.shown[1].text, "A program name can't contain = or start with [.");
    rename("Uno0", "UNO");  // its own name in another letter case
    EXPECT_THAT(Keys(0), ElementsAre("UNO0", "Two0"));
    EXPECT_EQ(w.files.saves, 2);

    auto renameSection = [&](int32_t tab, const char* answer) {
        presenter.choices = {15};  // "Rename Section…"
        input.answers = {answer};
        menu.TabStripRightClick(0x66, 0, 0, tab);
    };
    renameSection(2, "tools");
    renameSection(2, "Play]");
    renameSection(2, "Play");
    EXPECT_EQ(w.box.shown[2].text, "Tab already exist!");
    EXPECT_EQ(w.box.shown[3].text, "A section name can't contain ].");
    EXPECT_THAT(floating.tabs.Names(), ElementsAre("Tools", "Play"));
    EXPECT_THAT(docked.tabs.Names(), ElementsAre("Tools", "Play"));
    EXPECT_EQ(docked.ToolbarTag(1), "Play");
    EXPECT_EQ(Catalogue(), "[Tools]\r\nUNO= C:\\1.exe\r\nTwo=C:\\2.exe\r\n[Play]\r\n");
}

TEST_F(CommandsTest, PropertiesOpenAndStartWhatTheButtonHolds) {
    Sections({"Tools"});
    Program(0, "Ed", "i_1_1", "C:\\ed.exe");
    Program(0, "Two");
    w.files.files[kCatalogue] = "[Tools]\r\nEd=C:\\ed.exe\r\nTwo=C:\\2.exe\r\n";
    pictures.withIcons = {"C:\\Program Files\\ed.exe"};
    auto properties = [&] {
        presenter.choices = {12};  // "Properties…"
        menu.ToolbarRightClick(0, "Ed0", 0x55, 0, 0);
    };
    // A name taken shows the dialog again with what was typed.
    this->properties.answers = {ProgramProperties{"two", "\"C:\\Program Files\\ed.exe\"", " -n "},
                                ProgramProperties{"Editor", "\"C:\\Program Files\\ed.exe\"", " -n "}};
    properties();
    ASSERT_EQ(this->properties.shown.size(), 2u);
    EXPECT_THAT(this->properties.shown[0], FieldsAre("Ed", "C:\\ed.exe", ""));
    EXPECT_THAT(this->properties.shown[1], FieldsAre("two", "\"C:\\Program Files\\ed.exe\"", " -n "));
    EXPECT_EQ(this->properties.pictures[0], "i_1_1");
    EXPECT_EQ(w.box.shown.at(0).text, "Button already exist!");
    EXPECT_THAT(Keys(0), ElementsAre("Editor0", "Two0"));
    const ButtonTag tag = docked.GetButtonTag(0, "Editor0");
    EXPECT_EQ(tag.target, "C:\\Program Files\\ed.exe");  // the quotes typed around it go
    EXPECT_EQ(tag.arguments, "-n");
    EXPECT_EQ(docked.GetButtonImage(0, "Editor0"), "i_C:\\Program Files\\ed.exe");
    EXPECT_EQ(Catalogue(), "[Tools]\r\nEditor=\"C:\\Program Files\\ed.exe\" -n\r\nTwo=C:\\2.exe\r\n");
    EXPECT_EQ(w.files.saves, 1);
    this->properties.answers = {std::nullopt};
    presenter.choices = {12};
    menu.ToolbarRightClick(0, "Editor0", 0x55, 0, 0);
    EXPECT_EQ(w.files.saves, 1);

    presenter.choices = {13};  // "Open file location"
    menu.ToolbarRightClick(0, "Editor0", 0x55, 0, 0);
    presenter.choices = {14};  // "Run as administrator"
    menu.ToolbarRightClick(0, "Editor0", 0x55, 0, 0);
    EXPECT_THAT(launcher.calls, ElementsAre("open|explorer.exe|/select,\"C:\\Program Files\\ed.exe\"",
                                            "runas|C:\\Program Files\\ed.exe|-n"));
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
    presenter.choices = {20};  // "Exit"
    menu.TabStripRightClick(1, 0, 0);
    EXPECT_TRUE(s.Quitting);
    EXPECT_THAT(w.host.log, ::testing::Contains("unload:f_Float"));
    EXPECT_FALSE(s.MainPopup);
}

}  // namespace
}  // namespace lark::test
