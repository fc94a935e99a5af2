#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "foldermenu/FolderContent.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

// Numbers by their value, as Explorer orders "file2" before "file10"; the
// real order is the platform's.
bool Logical(const std::string& a, const std::string& b) {
    auto number = [](const std::string& s) {
        const size_t digit = s.find_first_of("0123456789");
        return std::make_pair(s.substr(0, digit), digit == std::string::npos ? -1 : std::stoi(s.substr(digit)));
    };
    return number(a) < number(b);
}

std::vector<std::string> Texts(const std::vector<FolderMenuRow>& rows) {
    std::vector<std::string> texts;
    for (const FolderMenuRow& row : rows) texts.push_back(row.text + (row.folder ? "/" : "") + (row.enabled ? "" : " (off)"));
    return texts;
}

TEST(FolderMenu, FoldersComeFirstThenFilesEachInNameOrderAsTheSettingsShowThem) {
    FolderListing listing;
    listing.items = {
        {"file10", false, false, false, 0}, {"Tools", true, false, false, 1},   {"file2", false, false, false, 2},
        {"desktop", false, true, true, 3},  {"Apps", true, false, false, 4},    {".cache", true, true, false, 5},
        {"kernel", false, false, true, 6},
    };
    EXPECT_THAT(Texts(FolderMenuRows(listing, {}, Logical)),
                ElementsAre("Apps/", "Tools/", "file2", "file10", "kernel"));
    // Hidden files shown; the system's own hidden files only when asked for too.
    EXPECT_THAT(Texts(FolderMenuRows(listing, {true, false}, Logical)),
                ElementsAre(".cache/", "Apps/", "Tools/", "file2", "file10", "kernel"));
    const std::vector<FolderMenuRow> all = FolderMenuRows(listing, {true, true}, Logical);
    EXPECT_THAT(Texts(all), ElementsAre(".cache/", "Apps/", "Tools/", "desktop", "file2", "file10", "kernel"));
    // Each row leads back to its item.
    EXPECT_EQ(all[3].source, 3u);
    EXPECT_EQ(all[1].source, 4u);
}

TEST(FolderMenu, NothingToShowOrNothingReadableSaysSoOnADisabledLine) {
    FolderListing empty;
    EXPECT_THAT(Texts(FolderMenuRows(empty, {}, Logical)), ElementsAre("(Empty) (off)"));
    empty.items = {{"secret", false, true, false, 0}};
    EXPECT_THAT(Texts(FolderMenuRows(empty, {}, Logical)), ElementsAre("(Empty) (off)"));
    FolderListing denied;
    denied.items = {{"a", false, false, false, 0}};
    denied.failure = "Access is denied.";
    EXPECT_THAT(Texts(FolderMenuRows(denied, {}, Logical)), ElementsAre("Access is denied. (off)"));
}

TEST(FolderMenu, NamesKeepOrLoseTheirTypeAsExplorerWritesThem) {
    const TypeNaming known{true, false, false};
    EXPECT_EQ(ShownFileName("Report.DOCX", true, known), "Report");
    EXPECT_EQ(ShownFileName("Report.docx", false, known), "Report.docx");
    EXPECT_EQ(ShownFileName("data.xyz", true, TypeNaming{}), "data.xyz");
    // Shortcuts never show theirs; some types always do.
    EXPECT_EQ(ShownFileName("Notepad.lnk", false, TypeNaming{true, true, false}), "Notepad");
    EXPECT_EQ(ShownFileName("setup.exe", true, TypeNaming{true, false, true}), "setup.exe");
    // A name that is all type, or has none, stays whole.
    for (const char* name : {".profile", "README", "ends."}) EXPECT_EQ(ShownFileName(name, true, known), name);
    EXPECT_EQ(FileType("archive.tar.GZ"), "gz");
}

TEST(FolderMenu, TargetsAreFoldersByTheirTextOrByWhatTheDiskSays) {
    EXPECT_EQ(FolderTargetKind("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), TargetKind::Folder);
    EXPECT_EQ(FolderTargetKind("Shell:Downloads"), TargetKind::Folder);
    EXPECT_EQ(FolderTargetKind("C:\\Users\\Ann\\Documents"), TargetKind::Look);
    EXPECT_EQ(FolderTargetKind("d:/tools/app.lnk"), TargetKind::Look);
    for (const char* other : {"https://example.com/", "mailto:ann@example.com", "notepad.exe", "C:relative", ""})
        EXPECT_EQ(FolderTargetKind(other), TargetKind::NotFolder) << other;
    // Another machine's paths are not touched: their names tell.
    EXPECT_EQ(FolderTargetKind("\\\\server\\share\\Docs"), TargetKind::ByName);
    EXPECT_TRUE(NamedLikeFolder("\\\\server\\share\\Docs"));
    EXPECT_TRUE(NamedLikeFolder("\\\\server\\share\\v1.2\\"));
    EXPECT_FALSE(NamedLikeFolder("\\\\server\\share\\setup.exe"));
}

}  // namespace
}  // namespace lark::test
