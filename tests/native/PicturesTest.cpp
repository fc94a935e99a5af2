#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Fakes.h"
#include "base/BarModel.h"
#include "base/Shortcuts.h"
#include "icons/ButtonPictures.h"
#include "icons/IconCache.h"
#include "icons/OpenedTargets.h"
#include "icons/PictureCache.h"
#include "icons/PictureQueue.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::Optional;

// Files with icons, by path; the pictures asked for, by key.
class FakeIconSource : public IIconSource {
public:
    Found ExtractIcons(const std::string&) override { return {}; }
    void StorePictures(const std::string&) override {}
    void RequestPictures(const std::string& target, const std::string& key) override {
        extracted.push_back(target);
        requested[key] = target;
    }
    void KeepPictures(const std::string& target) override { kept.push_back(target); }

    std::map<std::string, Found> icons;
    std::vector<std::string> extracted;
    std::map<std::string, std::string> requested;
    std::vector<std::string> kept;
};

class PictureRuleTest : public ::testing::Test {
protected:
    PictureRuleTest() { bar.Attach(requests); }
    // The key the button shows once the pictures its button asked for on
    // coming onto the bar have arrived.
    ImageChoice Choose(const std::string& target) {
        ImageChoice choice = rule.ChooseButtonImage(target);
        bar.Clear();
        bar.AddSection("S", 0);
        bar.ShowSection(1);
        bar.AddButton(0, BarButton{"", "B", target, "", choice.key, choice.extracted});
        auto asked = source.requested.find(choice.key);
        if (asked != source.requested.end()) {
            const IIconSource::Found found = source.icons[asked->second];
            choice.key = rule.ShownKey(choice.key, found.large != 0, found.small != 0);
        }
        return choice;
    }
    AppState state;
    FakeIconSource source;
    ButtonPictures rule{state};
    BarModel bar;
    PictureRequests requests{source, bar};
};

TEST_F(PictureRuleTest, AddressesOfAnySchemeAndInternetShortcutsAskForTheirPictures) {
    // The key chosen, and with HTM and URL in the cache.
    struct Row {
        const char* target;
        const char* key;
        const char* cached;
    };
    const Row rows[] = {{"http://example.com/a.aspx", "i_http:", "HTM"},
                        {"https://example.com/page.html", "i_https:", "HTM"},
                        {"HTTPS://EXAMPLE.COM/", "i_https:", "HTM"},
                        {"ftp://host/notes.txt", "i_ftp:", "HTM"},
                        {"mailto:someone@example.com", "i_mailto:", "HTM"},
                        {"D:\\Links\\Site.url", "i_D:\\Links\\Site.url", "URL"},
                        {"C:\\app.exe", "i_C:\\app.exe", "i_C:\\app.exe"},
                        {"C:", "folder", "folder"}};
    for (const Row& r : rows) {
        state.IconKeys = {""};
        const ImageChoice choice = rule.ChooseButtonImage(r.target);
        EXPECT_EQ(choice.key, r.key) << r.target;
        EXPECT_EQ(choice.extracted, choice.key != "folder") << r.target;
        state.IconKeys = {"", "HTM", "URL"};
        EXPECT_EQ(rule.ChooseButtonImage(r.target).key, r.cached) << r.target;
    }
    // Each address asks for its scheme's picture, once for all of them.
    state.IconKeys = {""};
    source.icons["https://example.com/"] = {0x100, 0x200};
    EXPECT_EQ(Choose("https://example.com/").key, "i_https:");
    EXPECT_EQ(source.requested.at("i_https:"), "https://example.com/");
    // What gives no picture at all still ends with "no".
    EXPECT_EQ(Choose("C:\\missing.url").key, "no");
}

TEST(TargetPictures, SchemesAndThePicturesShortcutsAndTheRegistryName) {
    EXPECT_EQ(UrlScheme("https://example.com/"), "https");
    EXPECT_EQ(UrlScheme("mailto:someone@example.com"), "mailto");
    EXPECT_EQ(UrlScheme("ms-settings:display"), "ms-settings");
    EXPECT_EQ(UrlScheme("svn+ssh://host/repo"), "svn+ssh");
    for (const char* path : {"C:\\x.exe", "c:/x", "\\\\server\\share", "notes.txt", "1a:x", ":x", "C:", ""})
        EXPECT_EQ(UrlScheme(path), std::nullopt) << path;

    EXPECT_THAT(ParseIconLocation("\"C:\\Program Files\\App\\app.exe\",-101"),
                FieldsAre("C:\\Program Files\\App\\app.exe", -101));
    EXPECT_THAT(ParseIconLocation(" %SystemRoot%\\system32\\url.dll , 5 "), FieldsAre("%SystemRoot%\\system32\\url.dll", 5));
    EXPECT_THAT(ParseIconLocation("C:\\a,b\\icon.ico"), FieldsAre("C:\\a,b\\icon.ico", 0));
    EXPECT_THAT(ParseIconLocation("\"C:\\a,1\\x.ico\""), FieldsAre("C:\\a,1\\x.ico", 0));
    // A scheme's program, from its verb's command line.
    EXPECT_EQ(CommandProgram("\"C:\\Program Files\\Web\\web.exe\" -- \"%1\""), "C:\\Program Files\\Web\\web.exe");
    EXPECT_EQ(CommandProgram("C:\\Program Files\\Web\\web.EXE %1"), "C:\\Program Files\\Web\\web.EXE");
    EXPECT_EQ(CommandProgram(" C:\\windows\\winebrowser.exe -nohome"), "C:\\windows\\winebrowser.exe");
    EXPECT_EQ(CommandProgram("C:\\my.exedir\\run.exe"), "C:\\my.exedir\\run.exe");
    EXPECT_EQ(CommandProgram("rundll32 url.dll,FileProtocolHandler %1"), "rundll32");
    EXPECT_EQ(CommandProgram("\"C:\\unclosed.exe"), "C:\\unclosed.exe");
    EXPECT_EQ(CommandProgram("  "), "");

    FakeCodePage ansi;
    const std::string shortcut = "[InternetShortcut]\r\nURL=http://a/\r\n";
    EXPECT_THAT(InternetShortcutIcon(shortcut + "IconFile=C:\\x.ico\r\nIconIndex=3\r\n", ansi),
                Optional(FieldsAre("C:\\x.ico", 3)));
    EXPECT_THAT(InternetShortcutIcon(shortcut + "IconFile = C:\\x.ico\r\n", ansi), Optional(FieldsAre("C:\\x.ico", 0)));
    EXPECT_EQ(InternetShortcutIcon(shortcut + "IconIndex=3\r\n", ansi), std::nullopt);
    EXPECT_EQ(InternetShortcutIcon("[Other]\r\nIconFile=C:\\x.ico\r\n", ansi), std::nullopt);
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

TEST_F(PictureRuleTest, ProgramsWithIconsGetTheirTargetsKeyAtTheBarsSize) {
    source.icons["C:\\app.exe"] = {0x100, 0x200};
    source.icons["C:\\bigonly.exe"] = {0x300, 0};
    // The key is handed out at once and asks for nothing; the button asks
    // for its pictures when it comes onto the bar, and they come later.
    const ImageChoice asked = rule.ChooseButtonImage("C:\\app.exe");
    EXPECT_EQ(asked.key, "i_C:\\app.exe");
    EXPECT_TRUE(asked.extracted);
    EXPECT_TRUE(source.requested.empty());
    EXPECT_EQ(Choose("C:\\app.exe").key, "i_C:\\app.exe");
    EXPECT_EQ(source.requested.at("i_C:\\app.exe"), "C:\\app.exe");

    // Small bars need the small icon; large bars the large one.
    EXPECT_EQ(Choose("C:\\bigonly.exe").key, "no");
    state.IconSize = 0;
    EXPECT_EQ(Choose("C:\\bigonly.exe").key, "i_C:\\bigonly.exe");
    // Asked for even when nothing will be found, under the key.
    EXPECT_EQ(Choose("C:\\missing.exe").key, "no");
    EXPECT_EQ(source.requested.count("i_C:\\missing.exe"), 1u);
}

TEST_F(PictureRuleTest, OnlyTheSectionOnScreenAsksForItsPicturesTheRestKeepTheirCache) {
    auto button = [](const char* name, const char* target, bool extracted = true) {
        return BarButton{"", name, target, "", extracted ? std::string("i_") + target : "EXE", extracted};
    };
    BarSection first{"Tools", 1, {button("A", "C:\\a.exe"), button("B", "C:\\b.exe")}};
    BarSection second{"Games", 2, {button("C", "C:\\c.exe"), button("D", "C:\\d.exe", false)}};
    BarSection third{"Office", 3, {button("E", "C:\\e.exe")}};
    bar.InsertSection(1, first);
    bar.InsertSection(2, second);
    bar.InsertSection(3, third);
    // Loaded, nothing is on screen: nothing is made, what the cache holds stays.
    EXPECT_TRUE(source.requested.empty());
    EXPECT_THAT(source.kept, ElementsAre("C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\e.exe"));

    bar.ShowSection(1);
    EXPECT_THAT(source.extracted, ElementsAre("C:\\a.exe", "C:\\b.exe"));
    // A button added on screen asks at once; one added elsewhere waits.
    bar.AddButton(1, button("F", "C:\\f.exe"));
    bar.AddButton(3, button("G", "C:\\g.exe"));
    EXPECT_THAT(source.extracted, ElementsAre("C:\\a.exe", "C:\\b.exe", "C:\\f.exe"));
    EXPECT_EQ(source.kept.back(), "C:\\g.exe");

    // The pictures of the first arrived; showing it again asks for nothing.
    bar.ResolvePictures({{"i_C:\\a.exe", "i_C:\\a.exe"}, {"i_C:\\b.exe", "i_C:\\b.exe"},
                         {"i_C:\\f.exe", "i_C:\\f.exe"}});
    bar.ShowSection(3);
    bar.ShowSection(1);
    bar.ShowSection(2);
    EXPECT_THAT(source.extracted, ElementsAre("C:\\a.exe", "C:\\b.exe", "C:\\f.exe", "C:\\e.exe",
                                              "C:\\g.exe", "C:\\c.exe"));

    // A new load starts with nothing on screen.
    source.extracted.clear();
    bar.Clear();
    bar.InsertSection(1, third);
    EXPECT_TRUE(source.extracted.empty());
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

// --- pictures kept between runs, and the order they are extracted in ---

IconPixels Icon(int sizePx, uint32_t colour) {
    IconPixels icon;
    icon.sizePx = sizePx;
    icon.colour.assign(static_cast<size_t>(sizePx * sizePx), colour);
    icon.mask.assign(static_cast<size_t>((sizePx + 7) / 8 * sizePx), 0x0F);
    return icon;
}

TargetPictures Pictures(uint64_t size, uint64_t time, bool large = true) {
    TargetPictures p{size, time, 16, 32, Icon(16, 0xFF00FF00), std::nullopt};
    if (large) p.large = Icon(32, 0x80123456);
    return p;
}

TEST(PictureCacheTest, AnEntryServesOnlyAnUnchangedTargetAtItsSizes) {
    PictureCache cache;
    cache.Put("C:\\Tools\\App.exe", Pictures(1000, 77));
    cache.Put("C:\\Tools\\NoBig.exe", Pictures(5, 6, false));
    const PictureCache read = PictureCache::Parse(cache.Serialize());
    PictureCache again = read;
    const TargetPictures* hit = again.Find("c:\\tools\\app.EXE", 1000, 77, 16, 32);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->large->colour, Icon(32, 0x80123456).colour);
    EXPECT_EQ(hit->small->mask, Icon(16, 0).mask);
    EXPECT_FALSE(again.Find("C:\\Tools\\NoBig.exe", 5, 6, 16, 32)->large.has_value());
    // A changed size or time, other pixel sizes, a target never seen.
    EXPECT_EQ(again.Find("C:\\Tools\\App.exe", 1001, 77, 16, 32), nullptr);
    EXPECT_EQ(again.Find("C:\\Tools\\App.exe", 1000, 78, 16, 32), nullptr);
    EXPECT_EQ(again.Find("C:\\Tools\\App.exe", 1000, 77, 24, 48), nullptr);
    EXPECT_EQ(again.Find("C:\\Other.exe", 1000, 77, 16, 32), nullptr);
    // A gone target goes; one not asked for this run is not written again.
    again.Forget("C:\\TOOLS\\app.exe");
    EXPECT_TRUE(again.Changed());
    PictureCache next = PictureCache::Parse(again.Serialize());
    EXPECT_EQ(next.Size(), 1u);
    EXPECT_EQ(next.Find("C:\\Tools\\App.exe", 1000, 77, 16, 32), nullptr);
    EXPECT_NE(next.Find("C:\\Tools\\NoBig.exe", 5, 6, 16, 32), nullptr);
    // One kept (on the bar, its section not shown yet) is written as it stands.
    PictureCache kept = read;
    kept.Keep("c:\\tools\\app.exe");
    kept.Keep("C:\\Elsewhere.exe");
    EXPECT_THAT(kept.UsedPaths(), ElementsAre("C:\\Tools\\App.exe"));
    PictureCache after = PictureCache::Parse(kept.Serialize());
    EXPECT_EQ(after.Size(), 1u);
    EXPECT_NE(after.Find("C:\\Tools\\App.exe", 1000, 77, 16, 32), nullptr);
}

TEST(PictureCacheTest, ADamagedFileReadsAsAnEmptyCache) {
    PictureCache cache;
    cache.Put("C:\\a.exe", Pictures(1, 2));
    cache.Put("C:\\b.exe", Pictures(3, 4, false));
    const std::string good = cache.Serialize();
    ASSERT_EQ(PictureCache::Parse(good).Size(), 2u);
    // Every cut and every flipped byte: nothing read, nothing broken.
    for (size_t n = 0; n < good.size(); ++n) EXPECT_EQ(PictureCache::Parse(good.substr(0, n)).Size(), 0u) << n;
    for (size_t i = 0; i < good.size(); i += 7) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x5A);
        EXPECT_EQ(PictureCache::Parse(bad).Size(), 0u) << i;
    }
    EXPECT_EQ(PictureCache::Parse(good + "x").Size(), 0u);
    EXPECT_EQ(PictureCache::Parse("not a cache at all").Size(), 0u);
    // Pictures that do not match their sizes are not kept.
    TargetPictures odd = Pictures(1, 2);
    odd.small->colour.pop_back();
    cache.Put("C:\\odd.exe", odd);
    EXPECT_EQ(PictureCache::Parse(cache.Serialize()).Size(), 2u);
}

TEST(PictureQueueTest, TheSectionOnScreenGoesFirstAndTheRestKeepTheirOrder) {
    PictureQueue queue;
    for (const char* key : {"i_1_1", "i_1_2", "i_2_1", "i_2_2", "i_3_1"}) queue.Push({std::string("C:\\") + key, key});
    queue.Prioritize({"i_3_1", "i_2_2", "i_9_9"});
    std::vector<std::string> order;
    while (auto job = queue.Pop()) order.push_back(job->key);
    EXPECT_THAT(order, ElementsAre("i_3_1", "i_2_2", "i_1_1", "i_1_2", "i_2_1"));

    // Asked again while it waits (a DPI change during a load): made once.
    queue.Push({"C:\\a.exe", "k1"});
    queue.Push({"C:\\b.exe", "k2"});
    queue.Push({"C:\\a.exe", "k1"});
    queue.Push({"C:\\c.exe", "k1"});  // another target under the key is another job
    EXPECT_EQ(queue.Size(), 3u);
    queue.Pop();
    queue.Push({"C:\\a.exe", "k1"});  // taken up already: asked anew
    EXPECT_EQ(queue.Size(), 3u);
    queue.Clear();
    queue.Push({"C:\\b.exe", "k2"});
    EXPECT_EQ(queue.Size(), 1u);

    // UNC paths and DFS namespaces, and drives mapped to a share.
    const auto mapped = [](char drive) { return drive == 'Z'; };
    for (const char* network : {"\\\\server\\share\\app.exe", "\\\\?\\UNC\\server\\share\\app.exe",
                                "\\\\corp.example\\dfs\\tools\\ed.exe", "Z:\\tools\\ed.exe", "z:\\ed.exe",
                                "\\\\?\\Z:\\ed.exe"})
        EXPECT_TRUE(IsNetworkPath(network, mapped)) << network;
    for (const char* local : {"\\\\?\\C:\\app.exe", "C:\\app.exe", "\\app.exe", "Z", "ZZ:\\x", "http://z:80/"})
        EXPECT_FALSE(IsNetworkPath(local, mapped)) << local;
    EXPECT_FALSE(IsNetworkPath("Z:\\tools\\ed.exe")) << "without a way to ask, a drive is local";
}

// What the user launched from the bar stays known across runs; a record
// that cannot be saved still counts for this run.
TEST(OpenedTargetsTest, LaunchedNetworkTargetsAreRememberedAcrossRuns) {
    FakeFileSystem files;
    const std::string record = "C:\\Users\\u\\AppData\\Local\\Larkspan\\launched.txt";
    OpenedTargets first(files, record);
    first.Load();
    EXPECT_FALSE(first.Contains("\\\\server\\tools\\ed.exe"));
    EXPECT_TRUE(first.Add("\\\\server\\tools\\ed.exe"));
    EXPECT_FALSE(first.Add("\\\\SERVER\\Tools\\ED.exe")) << "the same file in another letter case";
    EXPECT_FALSE(first.Add("a\r\nb"));
    EXPECT_EQ(files.files.at(record), "\\\\server\\tools\\ed.exe\r\n");
    EXPECT_EQ(files.saves, 1);

    files.files[record] += "Z:\\apps\\viewer.exe\n\n";  // written by hand, LF alone
    OpenedTargets next(files, record);
    next.Load();
    EXPECT_TRUE(next.Contains("\\\\Server\\tools\\ed.exe"));
    EXPECT_TRUE(next.Contains("z:\\APPS\\viewer.exe"));
    EXPECT_FALSE(next.Contains("\\\\server\\tools"));

    files.readOnly = true;
    EXPECT_TRUE(next.Add("\\\\server\\other.exe"));
    EXPECT_TRUE(next.Contains("\\\\server\\other.exe"));
    EXPECT_EQ(files.files.at(record).find("other"), std::string::npos);
}

}  // namespace
}  // namespace lark::test
