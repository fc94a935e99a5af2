// What a drop on the bar becomes, and the values the catalogue stores for
// shortcuts: read back by the loader's own rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "Fakes.h"
#include "bar/DropFormats.h"
#include "bar/DropList.h"
#include "base/Shortcuts.h"
#include "catalogue/CatalogueFormat.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;

class FakeLinks : public IShortcutReader {
public:
    LinkTarget ReadShortcut(const std::string& path) override {
        auto it = links.find(path);
        if (it == links.end()) Raise(kErrPathFileAccess);
        return it->second;
    }
    std::map<std::string, LinkTarget> links;
};

class DropListTest : public ::testing::Test {
protected:
    std::vector<NewEntry> Entries(const DroppedItems& items) { return DroppedEntries(items, links, files, ansi); }

    FakeLinks links;
    FakeFileSystem files;
    FakeCodePage ansi;
};

TEST_F(DropListTest, FilesFoldersAndShortcutsKeepTheDragsOrderAndTheirNames) {
    links.links["C:\\Desk\\Editor.lnk"] = {"C:\\Program Files\\Ed\\ed.exe", " -n  "};
    links.links["C:\\Desk\\Computer.lnk"] = {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", ""};
    files.files["C:\\Fav\\News.url"] = "[InternetShortcut]\r\nURL=http://news.example/?a=b\r\n";
    files.files["C:\\Fav\\Empty.url"] = "[InternetShortcut]\r\n";
    DroppedItems items;
    items.files = {{"C:\\Tools\\calc.exe", false}, {"D:\\My.Projects", true}, {"C:\\Desk\\Editor.lnk", false},
                   {"C:\\Desk\\Computer.lnk", false}, {"C:\\Desk\\Broken.LNK", false},
                   {"C:\\Fav\\News.url", false}, {"C:\\Fav\\Empty.url", false}, {"E:\\", true},
                   {"C:\\a=b [x].txt", false}, {"C:\\[old].txt", false}, {"C:\\.profile", false}};
    items.urls = "http://ignored.example/";  // files come first
    EXPECT_THAT(Entries(items),
                ElementsAre(FieldsAre("calc", "C:\\Tools\\calc.exe", ""),
                            FieldsAre("My.Projects", "D:\\My.Projects", ""),
                            FieldsAre("Editor", "C:\\Program Files\\Ed\\ed.exe", "-n"),
                            // the shell knows these targets by class id or not at all: the link opens them
                            FieldsAre("Computer", "C:\\Desk\\Computer.lnk", ""),
                            FieldsAre("Broken", "C:\\Desk\\Broken.LNK", ""),
                            FieldsAre("News", "http://news.example/?a=b", ""),
                            FieldsAre("Empty", "C:\\Fav\\Empty.url", ""), FieldsAre("E:", "E:\\", ""),
                            // "=" would end the key, a leading "[" make a header
                            FieldsAre("a-b [x]", "C:\\a=b [x].txt", ""),
                            FieldsAre("old]", "C:\\[old].txt", ""),
                            FieldsAre(".profile", "C:\\.profile", "")));
}

TEST_F(DropListTest, AddressesFromABrowserOrAsText) {
    DroppedItems page;
    page.urls = "https://example.com/a?b=c";
    page.urlTitle = "Example Domain.url";
    EXPECT_THAT(Entries(page), ElementsAre(FieldsAre("Example Domain", "https://example.com/a?b=c", "")));
    EXPECT_TRUE(CanDrop(page));

    DroppedItems several;  // several addresses are named by their hosts
    several.urls = "http://one.example:8080/x\r\n\r\nftp://two.example\r\n";
    several.urlTitle = "Only One.url";
    EXPECT_THAT(Entries(several), ElementsAre(FieldsAre("one.example", "http://one.example:8080/x", ""),
                                              FieldsAre("two.example", "ftp://two.example", "")));

    DroppedItems text;
    text.text = "see http://not.alone\r\nwww.example.org\r\n  https://x.example/p  \r\nplain words";
    EXPECT_THAT(Entries(text), ElementsAre(FieldsAre("www.example.org", "http://www.example.org", ""),
                                           FieldsAre("x.example", "https://x.example/p", "")));
    DroppedItems words;
    words.text = "no address here";
    EXPECT_FALSE(CanDrop(words));
    EXPECT_TRUE(Entries(words).empty());
    EXPECT_FALSE(CanDrop(DroppedItems{}));
}

TEST_F(DropListTest, ALineBreakNeverReachesTheCatalogue) {
    // A crafted drag or link, never a real path: the line would end inside the value.
    links.links["C:\\Desk\\Evil.lnk"] = {"C:\\a.exe", "x\r\n[Injected]\r\nB=C:\\b.exe"};
    DroppedItems items;
    items.files = {{"C:\\Desk\\Evil.lnk", false}, {"C:\\two\r\nlines.exe", false}};
    EXPECT_THAT(Entries(items), ElementsAre(FieldsAre("Evil", "C:\\Desk\\Evil.lnk", "")));
    DroppedItems page;
    page.urls = "http://example.com/";
    page.urlTitle = "Title\r\n[Injected]";
    EXPECT_THAT(Entries(page), ElementsAre(FieldsAre("Title  [Injected]", "http://example.com/", "")));
    page.urlTitle = "[ [Header]";
    EXPECT_THAT(Entries(page), ElementsAre(FieldsAre("Header]", "http://example.com/", "")));
}

// The formats' bytes as other programs put them on a drag.
std::string Wide(const std::string& utf8) { return Utf8ToUtf16Le(utf8); }
std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string DropFiles(const std::string& list, bool wide) {
    return U32(20) + U32(0) + U32(0) + U32(0) + U32(wide ? 1 : 0) + list;
}

TEST(DragFormatsTest, EachFormatIsReadWithinItsBytes) {
    FakeCodePage ansi;
    std::map<DragFormat, std::string> offered;
    std::vector<DragFormat> asked;
    const auto read = [&] {
        asked.clear();
        return ReadDragFormats(
            [&](DragFormat f) -> std::optional<std::string> {
                asked.push_back(f);
                const auto it = offered.find(f);
                return it == offered.end() ? std::nullopt : std::optional<std::string>(it->second);
            },
            7, ansi);
    };
    offered[DragFormat::Files] = DropFiles(Wide("C:\\a.exe") + std::string(2, '\0') + Wide("D:\\Ü") +
                                               std::string(4, '\0') + Wide("C:\\after the end"), true);
    offered[DragFormat::Url] = Wide("http://ignored/");
    DragContents got = read();
    EXPECT_THAT(got.items.files, ElementsAre(FieldsAre("C:\\a.exe", false), FieldsAre("D:\\Ü", false)));
    EXPECT_THAT(asked, ElementsAre(DragFormat::Button, DragFormat::Files));  // files first, nothing more
    // A list without its end, in the code page, and a header pointing past the bytes.
    offered[DragFormat::Files] = DropFiles("C:\\Caf\xE9", false);
    EXPECT_THAT(read().items.files, ElementsAre(FieldsAre("C:\\Café", false)));
    offered[DragFormat::Files] = U32(400) + std::string(16, '\0') + Wide("C:\\x");
    EXPECT_TRUE(read().items.files.empty());

    // A descriptor too short for one file names no page (a whole one is read end to end).
    offered.erase(DragFormat::Files);
    offered[DragFormat::Descriptor] = U32(1) + std::string(96, 'x');
    EXPECT_EQ(read().items.urlTitle, "");

    // A button of this process only; another's indices mean nothing here.
    offered[DragFormat::Button] = ButtonDragBytes(7, ButtonDrag{3, "Notepad3"});
    got = read();
    ASSERT_TRUE(got.button);
    EXPECT_EQ(got.button->toolbar, 3);
    EXPECT_EQ(got.button->key, "Notepad3");
    EXPECT_TRUE(got.items.urls.empty());
    offered[DragFormat::Button] = ButtonDragBytes(8, ButtonDrag{3, "Notepad3"});
    EXPECT_FALSE(read().button);
}

TEST(ShortcutValues, TheLoaderReadsBackWhatIsStored) {
    for (const auto& [target, arguments] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\Program Files\\Ed\\ed.exe", "/r \"C:\\my notes.txt\""},
             {"C:\\calc.exe", ""},
             {"\"C:\\quoted.exe\"", ""},
             {"http://example.com/?q=1", ""}}) {
        const EntryValue back = ParseEntryValue(FormatEntryValue(target, arguments));
        // A value without arguments is its target as written, quotes and all.
        EXPECT_EQ(back.target, target);
        EXPECT_EQ(back.arguments, arguments) << target;
    }
    EXPECT_EQ(FormatEntryValue("C:\\ed.exe", "  -n "), "\"C:\\ed.exe\" -n");
    // Values the loader would read otherwise, or stop at, are refused.
    EXPECT_THROW(FormatEntryValue("C:\\a\"b.exe", "-x"), RuntimeError);
    EXPECT_THROW(FormatEntryValue("\"C:\\open.exe", ""), RuntimeError);
    EXPECT_THROW(FormatEntryValue("\"C:\\a.exe\" b", ""), RuntimeError);

    FakeCodePage ansi;
    EXPECT_EQ(InternetShortcutUrl("[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nurl = http://a/\r\n", ansi),
              "http://a/");
    EXPECT_EQ(InternetShortcutUrl("[Other]\r\nURL=http://a/\r\n", ansi), std::nullopt);
}

}  // namespace
}  // namespace lark::test
