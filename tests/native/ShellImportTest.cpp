#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "FakeBar.h"
#include "Fakes.h"
#include "catalogue/ShellImport.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

// A folder tree described by value: folders hold nodes, shortcuts a target.
struct Node {
    std::string name;
    bool folder = false;
    bool shortcut = false;
    std::string target;
    bool unreadable = false;  // listing the folder or reading the shortcut raises
    std::vector<Node> children;
    std::string arguments;
};

Node Folder(std::string name, std::vector<Node> children) {
    return Node{std::move(name), true, false, "", false, std::move(children)};
}
Node Shortcut(std::string name, std::string target) {
    return Node{std::move(name), false, true, std::move(target), false, {}};
}
Node File(std::string name) { return Node{std::move(name), false, false, "", false, {}}; }
template <class N>
N Unreadable(N node) {
    node.unreadable = true;
    return node;
}

class FakeFolder : public IFolder {
public:
    FakeFolder(const Node& node, IFolder* parent, std::string path)
        : node_(node), parent_(parent), path_(std::move(path)) {}

    std::string Title() override { return node_.name; }
    IFolder* Parent() override { return parent_; }
    std::vector<FolderEntry> Items() override {
        if (node_.unreadable) Raise(kErrPathNotFound);
        std::vector<FolderEntry> out;
        for (const Node& child : node_.children)
            out.push_back({child.name, path_ + "\\" + child.name + (child.shortcut ? ".lnk" : ""), child.folder,
                           child.shortcut});
        return out;
    }
    std::unique_ptr<IFolder> Open(const FolderEntry& entry) override {
        return std::make_unique<FakeFolder>(Child(entry), this, entry.path);
    }
    LinkTarget ShortcutTarget(const FolderEntry& entry) override {
        const Node& child = Child(entry);
        if (child.unreadable) Raise(kErrPathFileAccess);
        return {child.target, child.arguments};
    }

private:
    const Node& Child(const FolderEntry& entry) const {
        for (const Node& child : node_.children)
            if (child.name == entry.name) return child;
        Raise(kErrElementNotFound);
    }

    const Node& node_;
    IFolder* parent_;
    std::string path_;
};

class FakeTree : public IFolderTree {
public:
    std::unique_ptr<IFolder> OpenSpecialFolder(int32_t number) override {
        auto it = specials.find(number);
        if (it == specials.end()) Raise(kErrObjectNotSet);
        return std::make_unique<FakeFolder>(it->second, nullptr, "C:\\Special" + std::to_string(number));
    }
    std::map<int32_t, Node> specials;
};

constexpr int32_t kDesktop = 16;
constexpr int32_t kCommonDesktop = 25;

class ShellImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.CatalogueIni = std::make_unique<cINI>(files, codePage);
        state.CatalogueIni->INIPath(kPath);
    }

    void Import(int32_t number, bool showProgress = true) { ImportShellFolder(context, number, showProgress); }
    // The catalogue with plain line feeds, for reading.
    std::string Text() const {
        auto it = files.files.find(kPath);
        std::string text = it == files.files.end() ? "" : it->second;
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
        return text;
    }

    static constexpr const char* kPath = "C:\\Larkspan\\zentrol.ini";
    AppState state;
    FakeFileSystem files;
    FakeCodePage codePage;
    FakeMessageBox box;
    FakePointer pointer;
    ErrorReporter errors{box, pointer};
    FakeTree tree;
    FakeProgress progress;
    FakeEvents events;
    ImportContext context{state, tree, progress, events, errors};
};

TEST_F(ShellImportTest, SectionsNameUpToThreeFoldersAboveTheShortcutThenFollowThePreviousOne) {
    tree.specials[kDesktop] = Folder(
        "Desktop",
        {Shortcut("Notes", "C:\\notes.exe"),
         Folder("Tools",
                {Shortcut("Hammer", "C:\\hammer.exe"),
                 Folder("Office",
                        {Shortcut("Word", "C:\\word.exe"),
                         Folder("Deep", {Shortcut("Grep", "C:\\grep.exe"),
                                         Folder("Four", {Shortcut("Sed", "C:\\sed.exe"),
                                                         Folder("Five", {Shortcut("Awk", "C:\\awk.exe")})})})})}),
         Folder("Games", {Folder("Cards", {Folder("Old", {Folder("Older", {Shortcut("Solo", "C:\\solo.exe")})})}),
                          Shortcut("Chess", "C:\\chess.exe")})});
    Import(kDesktop);

    // Sed and Awk (four and five levels down) follow Grep; Solo follows Awk,
    // the shortcut handled before it, although it lies under Games.
    EXPECT_EQ(Text(),
              "[Desktop]\nNotes=C:\\notes.exe\n"
              "[Tools]\nHammer=C:\\hammer.exe\n"
              "[Tools\\Office]\nWord=C:\\word.exe\n"
              "[Tools\\Office\\Deep]\nGrep=C:\\grep.exe\nSed=C:\\sed.exe\nAwk=C:\\awk.exe\nSolo=C:\\solo.exe\n"
              "[Games]\nChess=C:\\chess.exe\n");
    EXPECT_EQ(state.ImportSection, "Games");
    EXPECT_EQ(state.ImportDepth, 0);
    EXPECT_EQ(files.saves, 1);  // the whole import in one save
}

TEST_F(ShellImportTest, ADeepShortcutWithNoSectionYetIsSkippedButFollowsOneFromAnEarlierImport) {
    const Node deep = Folder("A", {Folder("B", {Folder("C", {Folder("D", {Shortcut("Lost", "C:\\lost.exe")})})})});
    tree.specials[kDesktop] = Folder("Desktop", {deep, Folder("Tools", {Shortcut("Hammer", "C:\\hammer.exe")})});
    tree.specials[kCommonDesktop] = Folder("Public", {deep});

    Import(kDesktop);
    EXPECT_EQ(Text(), "[Tools]\nHammer=C:\\hammer.exe\n");

    // The section survives the import: the next one's first, deep shortcut
    // goes there.
    Import(kCommonDesktop);
    EXPECT_EQ(Text(), "[Tools]\nHammer=C:\\hammer.exe\nLost=C:\\lost.exe\n");
}

TEST_F(ShellImportTest, FoldersWithOneTitleShareASectionAndAReimportReplacesValues) {
    tree.specials[kDesktop] = Folder("Desktop", {Shortcut("Mail", "C:\\mail.exe"), Shortcut("Web", "C:\\web.exe")});
    tree.specials[kCommonDesktop] =
        Folder("Desktop", {Shortcut("Web", "C:\\public\\web.exe"), Shortcut("Maps", "C:\\maps.exe")});
    Import(kDesktop);
    Import(kCommonDesktop);
    EXPECT_EQ(Text(), "[Desktop]\nMail=C:\\mail.exe\nWeb=C:\\public\\web.exe\nMaps=C:\\maps.exe\n");

    tree.specials[kDesktop].children[0].target = "D:\\mail2.exe";
    Import(kDesktop);
    EXPECT_EQ(Text(), "[Desktop]\nMail=D:\\mail2.exe\nWeb=C:\\web.exe\nMaps=C:\\maps.exe\n");
}

TEST_F(ShellImportTest, ShortcutsKeepTheirArgumentsAndThoseWithoutAPathTheirOwnFile) {
    Node notes = Shortcut("Notes", "C:\\Program Files\\Ed\\ed.exe");
    notes.arguments = " /r C:\\notes.txt ";
    tree.specials[kDesktop] =
        Folder("Desktop", {Shortcut("Word", "C:\\Windows\\Installer\\{90120000-0011}\\wordicon.exe"),
                           Shortcut("Computer", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"),
                           Shortcut("Odd", "C:\\odd}dir\\odd.exe"), notes, Shortcut("Printer", ""),
                           Shortcut("News", "http://news.example/?a=1"),  // an internet shortcut's address
                           Folder("Office", {Shortcut("Excel", "C:\\{guid}")})});
    Import(kDesktop);
    EXPECT_EQ(Text(),
              "[Desktop]\nWord=C:\\Special16\\Word.lnk\nComputer=C:\\Special16\\Computer.lnk\n"
              "Odd=C:\\odd}dir\\odd.exe\nNotes=\"C:\\Program Files\\Ed\\ed.exe\" /r C:\\notes.txt\n"
              "Printer=C:\\Special16\\Printer.lnk\nNews=http://news.example/?a=1\n"
              "[Office]\nExcel=C:\\Special16\\Office\\Excel.lnk\n");
}

TEST_F(ShellImportTest, AnErrorEndsOnlyTheWalkOfItsOwnSpecialFolder) {
    tree.specials[kDesktop] =
        Folder("Desktop", {Shortcut("First", "C:\\first.exe"),
                           Folder("Tools", {Shortcut("Saw", "C:\\saw.exe"), Unreadable(Shortcut("Broken", "")),
                                            Shortcut("Drill", "C:\\drill.exe")}),
                           Shortcut("Last", "C:\\last.exe")});
    tree.specials[kCommonDesktop] = Folder("Public", {Unreadable(Folder("Locked", {})), Shortcut("After", "x")});
    const int32_t kNetwork = 18;  // not in the fake tree: opening it fails

    Import(kDesktop);
    Import(kNetwork);
    Import(kCommonDesktop);
    Import(2);  // nothing there either; the earlier failures left no trace

    EXPECT_EQ(Text(), "[Desktop]\nFirst=C:\\first.exe\n[Tools]\nSaw=C:\\saw.exe\n");
    EXPECT_EQ(progress.unloads, 4);
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(progress.max, 0);  // a folder that did not open counts no items

    // What the walk found before its error is saved.
    tree.specials[2] = Folder("Programs", {Shortcut("Ok", "C:\\ok.exe"), Unreadable(Shortcut("Refused", "")),
                                           Shortcut("Never", "C:\\never.exe")});
    Import(2);
    const std::string saved = "[Desktop]\nFirst=C:\\first.exe\n[Tools]\nSaw=C:\\saw.exe\n[Programs]\nOk=C:\\ok.exe\n";
    EXPECT_EQ(Text(), saved);
    EXPECT_EQ(progress.unloads, 5);
    EXPECT_TRUE(box.shown.empty());

    // A catalogue that cannot be written is reported once and stays as it was.
    files.readOnlyFiles.insert(kPath);
    tree.specials[2].children = {Shortcut("Later", "C:\\later.exe")};
    Import(2);
    EXPECT_EQ(Text(), saved);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Cannot save C:\\Larkspan\\zentrol.ini. Permission denied (70).");
}

TEST_F(ShellImportTest, ProgressCountsTheTopItemsAndAdvancesForTopFoldersOnly) {
    tree.specials[kDesktop] = Folder(
        "Desktop", {Folder("One", {Folder("Inner", {Shortcut("In", "C:\\in.exe")}), Shortcut("Mid", "C:\\mid.exe")}),
                    Shortcut("Top", "C:\\top.exe"), File("notes.txt"), Folder("Two", {})});
    Import(kDesktop);
    EXPECT_EQ(progress.max, 4);
    EXPECT_THAT(progress.values, ElementsAre(1, 2));
    EXPECT_EQ(events.calls, 4);  // after showing, per top folder, after unloading
    EXPECT_EQ(progress.unloads, 1);
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(Text(), "[One\\Inner]\nIn=C:\\in.exe\n[One]\nMid=C:\\mid.exe\n[Desktop]\nTop=C:\\top.exe\n");

    // A later import starts its display from 0 again.
    Import(kDesktop);
    EXPECT_THAT(progress.values, ElementsAre(1, 2));

    // Without progress the display and the event loop are left alone.
    Import(kDesktop, false);
    EXPECT_EQ(progress.unloads, 2);
    EXPECT_EQ(events.calls, 8);
}

}  // namespace
}  // namespace lark::test
