#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Fakes.h"
#include "icons/ButtonPictures.h"
#include "icons/IconCache.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

// Files with icons, by path; everything stored, by list and key.
class FakeIconSource : public IIconSource {
public:
    Found ExtractIcons(const std::string& path) override {
        extracted.push_back(path);
        auto it = icons.find(path);
        last = it == icons.end() ? Found{} : it->second;
        return last;
    }
    void StorePictures(const std::string& key) override { stored[key] = last; }

    std::map<std::string, Found> icons;
    std::vector<std::string> extracted;
    std::map<std::string, Found> stored;
    Found last;
};

class PictureRuleTest : public ::testing::Test {
protected:
    ImageChoice Choose(const std::string& target, int16_t section = 1, int16_t button = 1) {
        return rule.ChooseButtonImage(target, section, button);
    }
    AppState state;
    FakeIconSource source;
    ButtonPictures rule{source, state};
};

TEST_F(PictureRuleTest, WebAddressesTakeTheCachedHtmPictureOrEndWithNo) {
    EXPECT_EQ(Choose("http://example.com/a.aspx").key, "no");
    EXPECT_THAT(source.extracted, ElementsAre("http://example.com/a.aspx"));
    state.IconKeys = {"", "HTM"};
    const ImageChoice cached = Choose("HtTp://example.com/");
    EXPECT_EQ(cached.key, "HTM");
    EXPECT_FALSE(cached.extracted);
    // A secure address is a path to the rule: its type is after the last ".".
    EXPECT_EQ(ButtonPictures::TargetType("https://example.com/page.html"), "HTML");
    EXPECT_EQ(Choose("https://example.com/").key, "no");
}

TEST_F(PictureRuleTest, PathsWithoutATypeGetTheFolderPicture) {
    const ImageChoice choice = Choose("C:\\Program Files\\Tool");
    EXPECT_EQ(choice.key, "folder");
    EXPECT_FALSE(choice.extracted);
    EXPECT_EQ(Choose("").key, "folder");
    EXPECT_TRUE(source.extracted.empty());
    // A dotted folder name gives a type with separators in it: never cached.
    EXPECT_EQ(ButtonPictures::TargetType("C:\\v1.2\\bin"), "2\\BIN");
}

TEST_F(PictureRuleTest, DocumentsTakeTheirCachedTypeWhateverTheCase) {
    state.IconKeys = {"", "TXT", "XLS"};
    EXPECT_EQ(Choose("D:\\notes.Txt").key, "TXT");
    EXPECT_EQ(Choose("D:\\budget.xls").key, "XLS");
    EXPECT_TRUE(source.extracted.empty());
    EXPECT_EQ(Choose("D:\\readme.md").key, "no");  // a text file holds no icon
}

TEST_F(PictureRuleTest, ProgramsWithIconsGetTheirPerButtonKeyAtTheBarsSize) {
    source.icons["C:\\app.exe"] = {0x100, 0x200};
    source.icons["C:\\bigonly.exe"] = {0x300, 0};
    const ImageChoice choice = Choose("C:\\app.exe", 2, 7);
    EXPECT_EQ(choice.key, "i_2_7");
    EXPECT_TRUE(choice.extracted);
    EXPECT_EQ(source.stored.count("i_2_7"), 1u);
    EXPECT_EQ(state.SmallIcons, std::vector<uintptr_t>{0x200});

    // Small bars need the small icon; large bars the large one.
    EXPECT_EQ(Choose("C:\\bigonly.exe", 1, 3).key, "no");
    state.IconSize = 0;
    EXPECT_EQ(Choose("C:\\bigonly.exe", 1, 3).key, "i_1_3");
    // Pictures are stored even when nothing was found, under the key.
    EXPECT_EQ(Choose("C:\\missing.exe", 1, 4).key, "no");
    EXPECT_EQ(source.stored.count("i_1_4"), 1u);
}

TEST_F(PictureRuleTest, ACachedProgramTypeIsNotExtracted) {
    state.IconKeys = {"", "EXE"};
    source.icons["C:\\app.exe"] = {0x100, 0x200};
    EXPECT_EQ(Choose("C:\\app.exe").key, "EXE");
    EXPECT_TRUE(source.extracted.empty());
}

TEST_F(PictureRuleTest, TheEmptyFirstKeyNeverMatches) {
    state.IconKeys = {""};
    EXPECT_FALSE(IsCachedIcon(state.IconKeys, ""));
    EXPECT_FALSE(IsCachedIcon({}, "EXE"));
}

// The cache's view of the disk and the lists.
class FakeCachePictures : public ICachePictures {
public:
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    void AddToSmallList(const std::string& key, const std::string& file) override { Add(small, key, file); }
    void AddToLargeList(const std::string& key, const std::string& file) override { Add(large, key, file); }

    std::set<std::string> files;
    std::set<std::string> notPictures;
    std::map<std::string, std::string> small;
    std::map<std::string, std::string> large;

private:
    void Add(std::map<std::string, std::string>& list, const std::string& key, const std::string& file) {
        if (notPictures.count(file)) Raise(kErrInvalidPicture);
        if (!list.emplace(key, file).second) Raise(kErrKeyNotUnique);
    }
};

class IconCacheTest : public ::testing::Test {
protected:
    // settings.ini with these NUL-separated lines under [Files].
    void Section(const std::string& lines, const std::string& bom = "") {
        pictures.files.insert("C:\\App\\settings.ini");
        std::string text = "[Files]\r\n" + lines;
        for (char& c : text)
            if (c == '\0') c = '\n';
        for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
        files.files["C:\\App\\settings.ini"] = bom.empty() ? text : bom + Utf8ToUtf16Le(text);
    }
    void Load() { LoadIconCache(keys, "C:\\App", files, codePage, pictures); }

    std::vector<std::string> keys{"stale", "OLD"};
    FakeFileSystem files;
    FakeCodePage codePage;
    FakeCachePictures pictures;
};

TEST_F(IconCacheTest, FilesAreFoundAsGivenOrInTheIconsFolder) {
    pictures.files = {"C:\\App\\txt.ico", "C:\\App\\Icons\\exe.ico", "D:\\pics\\web.ico"};
    Section(std::string("txt=txt.ico\0Exe = exe.ico \0htm=D:\\pics\\web.ico\0gone=nowhere.ico\0", 64));
    Load();
    EXPECT_THAT(keys, ElementsAre("", "TXT", "EXE ", "HTM"));
    EXPECT_EQ(pictures.small.at("TXT"), "C:\\App\\txt.ico");
    EXPECT_EQ(pictures.large.at("EXE "), "C:\\App\\Icons\\exe.ico");
    EXPECT_FALSE(IsCachedIcon(keys, "EXE"));  // the blank before "=" stays in the key
    EXPECT_TRUE(IsCachedIcon(keys, "HTM"));
}

TEST_F(IconCacheTest, TheFirstOfTwoEqualNamesWins) {
    pictures.files = {"C:\\App\\a.ico", "C:\\App\\b.ico"};
    Section(std::string("doc=a.ico\0DOC=b.ico\0", 20));
    Load();
    EXPECT_THAT(keys, ElementsAre("", "DOC"));
    EXPECT_EQ(pictures.small.at("DOC"), "C:\\App\\a.ico");
}

TEST_F(IconCacheTest, LinesThatNameNoPictureLoadNothing) {
    pictures.files = {"C:\\App\\a.ico", "C:\\App\\bad.txt", "C:\\App\\Icons\\"};
    pictures.notPictures = {"C:\\App\\bad.txt"};
    Section(std::string("justaname\0=a.ico\0  \0empty=\0bad=bad.txt\0ok=a.ico=ignored\0", 56));
    Load();
    EXPECT_THAT(keys, ElementsAre("", "OK"));
    EXPECT_EQ(pictures.small.count("JUSTANAME"), 0u);
    EXPECT_EQ(pictures.small.count("BAD"), 0u);
}

TEST_F(IconCacheTest, AUnicodeSettingsFileIsReadLikeAnAnsiOne) {
    pictures.files = {"C:\\App\\Документ.ico"};
    Section("doc=Документ.ico", "\xFF\xFE");
    Load();
    EXPECT_THAT(keys, ElementsAre("", "DOC"));
    EXPECT_EQ(pictures.small.at("DOC"), "C:\\App\\Документ.ico");
}

TEST_F(IconCacheTest, NoSettingsFileOrSectionLeavesOnlyTheEmptyKey) {
    Load();
    EXPECT_THAT(keys, ElementsAre(""));
    pictures.files.insert("C:\\App\\settings.ini");
    Load();
    EXPECT_THAT(keys, ElementsAre(""));
}

}  // namespace
}  // namespace lark::test
