#pragma once
// The bar follows its catalogue file. A change by another program (an
// editor, a sync client, a script) reloads the bar once its burst of
// changes has settled; the bar's own saves do not. A file that would not
// load whole, or that is gone, leaves the bar as it is and is reported once
// until the file is good again. A folder that sends no change notifications
// is looked at when the bar is activated.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "catalogue/CatalogueFormat.h"

namespace lark {

// What the follower asks of the rest of the program.
class ICatalogueFollowHost {
public:
    virtual ~ICatalogueFollowHost() = default;
    // Change notifications for this folder from now on, instead of the one
    // before; false when the folder sends none.
    virtual bool WatchFolder(const std::string& folder) = 0;
    // The file changed and reads whole: the bar shows it again (through a
    // load, which calls Follow).
    virtual void ReloadCatalogueFromFile() = 0;
    // Tells the user; the bar stays as it is.
    virtual void ReportCatalogueProblem(const std::string& text) = 0;
    // Why the bytes would not load whole; nullopt when they would.
    virtual std::optional<CatalogueFault> CheckCatalogue(std::string_view bytes) = 0;
};

class CatalogueFollow : public ISaveObserver {
public:
    // After a change, the file is looked at once the folder has been quiet
    // this long, but no later than kLongestWaitMs after the first change.
    static constexpr uint64_t kQuietMs = 300;
    static constexpr uint64_t kLongestWaitMs = 1200;
    // A file another program holds open is tried again this often.
    static constexpr uint64_t kRetryMs = 500;
    static constexpr int kRetries = 20;

    CatalogueFollow(IFileSystem& files, IFileStamps& stamps, ICatalogueFollowHost& host)
        : files_(files), stamps_(stamps), host_(host) {}

    // The bar is about to show this file as it is now. A file in another
    // folder moves the watch there.
    void Follow(const std::string& path);
    const std::string& Path() const { return path_; }
    bool Watched() const { return watched_; }

    // The bar's own saves: a save of the file the bar showed leaves nothing
    // to reload; one over a file changed meanwhile reloads both.
    void BeforeSave(const std::string& path) override;
    void AfterSave(const std::string& path, std::string_view bytes) override;

    // Something in the folder changed.
    void FolderChanged(uint64_t nowMs);
    // The bar was activated or shown: a file whose size or time is not
    // what the bar showed is looked at now.
    void Activated(uint64_t nowMs);
    // Milliseconds until a look is due (0: now); nullopt when none waits.
    std::optional<uint64_t> DueInMs(uint64_t nowMs) const;
    // Takes the look that is due, if one is.
    void RunDue(uint64_t nowMs);

    // Looks taken and reloads asked for so far, for the tests' eyes.
    uint64_t Checks() const { return checks_; }
    uint64_t Reloads() const { return reloads_; }

private:
    enum class Problem { None, Broken, Missing, Unreadable };
    struct Version {
        FileStamp stamp;
        uint64_t hash = 0;
    };

    void Check(uint64_t nowMs);
    void Look(uint64_t nowMs);
    // Reports a problem once, until the file is good again.
    void Report(Problem problem, const std::string& text);
    std::optional<Version> Current(std::string& bytes) const;

    IFileSystem& files_;
    IFileStamps& stamps_;
    ICatalogueFollowHost& host_;
    std::string path_;
    std::string folder_;
    bool watched_ = false;
    Version known_;  // what the bar shows
    bool savingOverKnown_ = false;
    std::optional<uint64_t> firstChange_;
    std::optional<uint64_t> dueAt_;
    int retries_ = 0;
    Problem reported_ = Problem::None;
    uint64_t checks_ = 0;
    uint64_t reloads_ = 0;
};

}  // namespace lark
