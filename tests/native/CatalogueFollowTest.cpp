// The bar following its catalogue file: what a change by another program,
// a save of the bar's own, a broken or missing file and a quiet folder
// make of the bar, with the clock in the test's hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Fakes.h"
#include "catalogue/CatalogueFollow.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kFolder = "C:\\Sync";
const std::string kPath = kFolder + "\\zentrol.ini";
const std::string kGood = "[Tools]\r\nNotepad=C:\\n.exe\r\n";

// Files whose write time moves with every write, as a disk's does.
class FakeDisk : public FakeFileSystem, public IFileStamps {
public:
    void SaveAtomically(const std::string& path, const std::string& bytes, const std::string& backupPath) override {
        FakeFileSystem::SaveAtomically(path, bytes, backupPath);
        times[path] = ++clock;
    }
    std::string ReadBytes(const std::string& path) override {
        if (locked) Raise(kErrPermissionDenied);
        ++reads;
        return FakeFileSystem::ReadBytes(path);
    }
    FileStamp Stamp(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end()) return {};
        return FileStamp{true, it->second.size(), times[path]};
    }
    // Another program writes the file.
    void Write(const std::string& path, const std::string& bytes) {
        files[path] = bytes;
        times[path] = ++clock;
    }
    std::map<std::string, uint64_t> times;
    uint64_t clock = 0;
    bool locked = false;
    int reads = 0;
};

class FollowTest : public ::testing::Test, protected ICatalogueFollowHost {
protected:
    void SetUp() override {
        disk.Write(kPath, kGood);
        follow.Follow(kPath);
        saves.Observe(&follow);
    }
    // A burst of notifications, then the clock run on until the look is due.
    void ChangedAt(std::initializer_list<uint64_t> moments) {
        for (uint64_t at : moments) {
            now = at;
            follow.FolderChanged(now);
        }
    }
    void Settle() {
        while (const std::optional<uint64_t> due = follow.DueInMs(now)) {
            now += *due;
            follow.RunDue(now);
        }
    }

    bool WatchFolder(const std::string& folder) override {
        watched.push_back(folder);
        return watchable;
    }
    void ReloadCatalogueFromFile() override {
        reloads.push_back(disk.files[kPath]);
        follow.Follow(kPath);  // as the load does
    }
    void ReportCatalogueProblem(const std::string& text) override { reports.push_back(text); }
    std::optional<CatalogueFault> CheckCatalogue(std::string_view bytes) override {
        return lark::CheckCatalogue(bytes, codePage, [](const std::string&) { return true; });
    }

    FakeDisk disk;
    FakeCodePage codePage;
    ObservedFileSystem saves{disk};
    bool watchable = true;
    std::vector<std::string> watched;
    std::vector<std::string> reloads;
    std::vector<std::string> reports;
    uint64_t now = 1000;
    CatalogueFollow follow{disk, disk, *this};
};

TEST_F(FollowTest, ABurstOfChangesBecomesOneReloadOnceTheFolderIsQuiet) {
    disk.Write(kPath, kGood + "[Games]\r\n");
    ChangedAt({1000, 1100, 1250});
    // Quiet for a moment after the last change.
    EXPECT_EQ(follow.DueInMs(now), CatalogueFollow::kQuietMs);
    follow.RunDue(now + CatalogueFollow::kQuietMs - 1);
    EXPECT_THAT(reloads, IsEmpty());
    Settle();
    EXPECT_THAT(reloads, ElementsAre(kGood + "[Games]\r\n"));
    // A folder that never goes quiet still gets its look in time.
    for (uint64_t at = 5000; at < 8000; at += 100) {
        now = at;
        follow.FolderChanged(now);
        follow.RunDue(now);
    }
    EXPECT_EQ(follow.Checks(), 3u);  // two looks in three seconds of changes
    Settle();
    EXPECT_EQ(follow.Checks(), 4u);
    EXPECT_EQ(reloads.size(), 1u);
    EXPECT_THAT(reports, IsEmpty());
}

TEST_F(FollowTest, TheBarsOwnSavesReloadNothingUnlessTheFileHadChanged) {
    saves.SaveAtomically(kPath, kGood + "Paint=C:\\p.exe\r\n", kPath + ".bak");
    ChangedAt({2000});  // the save, the .new and the .bak
    Settle();
    EXPECT_THAT(reloads, IsEmpty());
    // Nor does a later activation see anything new.
    follow.Activated(now);
    EXPECT_EQ(follow.DueInMs(now), std::nullopt);

    // An edit made before the reload of another program's change: the file
    // holds both, and so does the bar.
    disk.Write(kPath, disk.files[kPath] + "[Games]\r\n");
    follow.FolderChanged(now);
    saves.SaveAtomically(kPath, disk.files[kPath] + "Chess=C:\\c.exe\r\n", kPath + ".bak");
    Settle();
    EXPECT_THAT(reloads, ElementsAre(kGood + "Paint=C:\\p.exe\r\n[Games]\r\nChess=C:\\c.exe\r\n"));
    // Saves of other files are none of its business.
    saves.SaveAtomically(kFolder + "\\other.ini", "x", "");
    follow.FolderChanged(now);
    Settle();
    EXPECT_EQ(reloads.size(), 1u);
}

TEST_F(FollowTest, ABrokenFileIsReportedOnceAndTheNextGoodOneLoads) {
    disk.Write(kPath, "[Tools]\r\nBroken=\"C:\\half\r\n");
    ChangedAt({1000});
    Settle();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], HasSubstr("Line 2 opens a quote that is not closed."));
    EXPECT_THAT(reports[0], HasSubstr(kPath));
    // Still broken after more writes: no second message.
    disk.Write(kPath, "[Tools]\r\nBroken=\"C:\\half-w\r\n");
    ChangedAt({3000});
    Settle();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_THAT(reloads, IsEmpty());
    disk.Write(kPath, kGood + "[New]\r\n");
    ChangedAt({5000});
    Settle();
    EXPECT_THAT(reloads, ElementsAre(kGood + "[New]\r\n"));
    // Broken again after a good load: a new broken state, a new message.
    disk.Write(kPath, "[Tools]\r\nBroken=\"\r\n");
    ChangedAt({7000});
    Settle();
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(FollowTest, AFileRenamedAwayIsWaitedForAndReportedOnlyWhenItStaysAway) {
    // An editor's save: the old file renamed away, the new one put in place.
    disk.files.erase(kPath);
    ChangedAt({1000});
    disk.Write(kPath, kGood + "[Saved]\r\n");
    ChangedAt({1010});
    Settle();
    EXPECT_THAT(reports, IsEmpty());
    EXPECT_THAT(reloads, ElementsAre(kGood + "[Saved]\r\n"));
    // Moved away for good: told once, the bar kept; back as it was: nothing to load.
    const std::string shown = disk.files[kPath];
    disk.files.erase(kPath);
    ChangedAt({3000});
    Settle();
    ChangedAt({4000});
    Settle();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], HasSubstr("cannot be found"));
    disk.Write(kPath, shown);
    ChangedAt({5000});
    Settle();
    EXPECT_EQ(reloads.size(), 1u);
}

TEST_F(FollowTest, AFileHeldOpenIsTriedAgainThenReportedOnce) {
    disk.Write(kPath, kGood + "[Later]\r\n");
    disk.locked = true;
    ChangedAt({1000});
    follow.RunDue(now + CatalogueFollow::kQuietMs);
    EXPECT_EQ(follow.DueInMs(now + CatalogueFollow::kQuietMs), CatalogueFollow::kRetryMs);
    now += CatalogueFollow::kQuietMs + CatalogueFollow::kRetryMs;
    disk.locked = false;
    follow.RunDue(now);
    EXPECT_THAT(reloads, ElementsAre(kGood + "[Later]\r\n"));
    disk.Write(kPath, kGood);
    disk.locked = true;
    ChangedAt({20000});
    Settle();
    EXPECT_EQ(follow.Checks(), 3u + CatalogueFollow::kRetries);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], HasSubstr("cannot be opened"));
}

TEST_F(FollowTest, AFolderWithoutNotificationsIsLookedAtWhenTheBarIsActivated) {
    watchable = false;
    CatalogueFollow quiet{disk, disk, *this};
    quiet.Follow(kPath);
    EXPECT_FALSE(quiet.Watched());
    const int readsBefore = disk.reads;
    quiet.Activated(now);
    EXPECT_EQ(quiet.DueInMs(now), std::nullopt);
    EXPECT_EQ(disk.reads, readsBefore);  // a glance, not a read
    disk.Write(kPath, kGood + "[Net]\r\n");
    quiet.Activated(now);
    EXPECT_EQ(quiet.DueInMs(now), 0u);
    quiet.RunDue(now);
    EXPECT_THAT(reloads, ElementsAre(kGood + "[Net]\r\n"));
}

TEST_F(FollowTest, AnotherCatalogueMovesTheWatchToItsFolder) {
    EXPECT_THAT(watched, ElementsAre(kFolder));
    disk.Write(kFolder + "\\second.ini", kGood);
    follow.Follow(kFolder + "\\second.ini");
    disk.Write("D:\\Elsewhere\\zentrol.ini", kGood);
    follow.Follow("D:\\Elsewhere\\zentrol.ini");
    EXPECT_THAT(watched, ElementsAre(kFolder, "D:\\Elsewhere"));
    // The old file is no longer followed.
    disk.Write(kPath, "[Old]\r\n");
    follow.FolderChanged(now);
    Settle();
    EXPECT_THAT(reloads, IsEmpty());
}

}  // namespace
}  // namespace lark::test
