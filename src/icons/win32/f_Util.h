#pragma once
// The hidden utility window: home of the two keyed image lists every bar
// button draws its picture from, and of the icon extraction that fills them.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/FileSystem.h"
#include "base/MenuImages.h"
#include "base/TextFile.h"
#include "base/win32/Form.h"
#include "base/win32/Handles.h"
#include "base/win32/KeyedImageList.h"
#include "icons/ButtonPictures.h"
#include "icons/IconCache.h"
#include "icons/win32/PictureWorker.h"
#include "icons/win32/TargetIcons.h"

namespace lark::win {

class f_Util : public Form, public IIconSource, public IMenuImages, private ICachePictures {
public:
    explicit f_Util(FormRegistry& registry) : Form(registry) {}

    void Load();

    // Both lists emptied, the fallback pictures "no" and "folder" added,
    // then the picture cache of settings.ini loaded into iconKeys.
    void InitImageLists(std::vector<std::string>& iconKeys, const std::string& programFolder, IFileSystem& files,
                        IAnsiCodePage& codePage);

    // The first icon of a file at the sizes of both lists; the handles are
    // kept until their pictures are stored.
    Found ExtractIcons(const std::string& path) override;
    void StorePictures(const std::string& key) override;
    // Extracted on a worker, or taken from the picture cache in cacheFile
    // (set before the first request; empty keeps none).
    void RequestPictures(const std::string& target, const std::string& key) override;
    void KeepPictures(const std::string& target) override;

    // Which pictures arrived: whether a large and a small icon was found.
    struct Arrival {
        std::string key;
        bool large = false;
        bool small = false;
    };
    using ArrivalListener = std::function<void(const std::vector<Arrival>&)>;
    void OnPicturesArrived(ArrivalListener listener) { arrived_ = std::move(listener); }
    void SetPictureCacheFile(std::wstring file) {
        cacheFile_ = [file = std::move(file)] { return file; };
    }
    void SetPictureCacheFile(PictureWorker::CacheFileFinder find) { cacheFile_ = std::move(find); }
    // A new load: what earlier requests still wait for is dropped, and
    // pictures are not stored until the load has ended (it pumps messages,
    // and would spend them on pictures).
    void RestartPictures();
    void LoadEnded();
    // These keys' pictures are wanted first (the section on screen).
    void PrioritizePictures(const std::vector<std::string>& keys);
    // Targets extracted rather than taken from the picture cache this run.
    size_t PicturesExtracted() const { return worker_ ? worker_->Extracted() : 0; }
    // Pictures still on their way: asked for, made, or not yet stored.
    size_t PicturesPending() const {
        return (worker_ ? worker_->Pending() : 0) + arriving_.size() + (loading_ ? 1 : 0);
    }

    // Every button picture made again at these sizes (a DPI change), each
    // from where it came: a resource or a picture file at once, a target's
    // icon by the workers, its old picture scaled standing in meanwhile.
    // False when the lists have these sizes already.
    bool UsePictureSizes(int smallPx, int largePx);
    // Whether a target on another machine may be opened for its picture
    // (any thread); set before the first request. None: never.
    // The thread that local targets' pictures are made on, shared with the
    // bar's other background work.
    void SetBackground(std::shared_ptr<BackgroundThread> background) { background_ = std::move(background); }
    void SetMayOpen(std::function<bool(const std::string& target)> mayOpen) { sources_.mayOpen = std::move(mayOpen); }
    // How targets are reached, for every extraction (tests stand in for
    // them); set before the first request.
    void SetPictureSources(PictureSources sources) { sources_ = std::move(sources); }
    // The user launched the target: its own picture is asked for again.
    void TargetOpened(const std::string& target);
    // The menu's pictures at an edge length, for a dark menu or a light one.
    const KeyedImageList& MenuImages(int sizePx, bool dark);

    // IMenuImages: the menu pictures of imgMenu.
    int32_t IndexOf(const std::string& key) override;

    // Sized for 96 DPI until the program asks for another size.
    KeyedImageList imgSmall{16};
    KeyedImageList imlToolbarIcons{32};
    KeyedImageList imgMenu{16};

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    PictureWorker& Worker();
    void TakeArrivedPictures();
    void ReleasePictures();
    bool FileExists(const std::string& path) override;
    void AddToSmallList(const std::string& key, const std::string& file) override;
    void AddToLargeList(const std::string& key, const std::string& file) override;

    // Where a picture came from, to make it again at another size.
    struct Origin {
        enum class Kind { Resource, TargetIcon, PictureFile } kind;
        std::wstring source;
    };
    UniqueIcon Remake(const std::string& key, int sizePx) const;

    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
    PictureWorker::CacheFileFinder cacheFile_;
    std::shared_ptr<BackgroundThread> background_;
    // Addresses and internet shortcuts take the pictures the bar shows for them.
    PictureSources sources_ = [] {
        PictureSources sources;
        sources.extract = ExtractTargetIcon;
        return sources;
    }();
    std::unique_ptr<PictureWorker> worker_;
    ArrivalListener arrived_;
    // Pictures taken from the worker, stored a time slice at a time.
    std::deque<ArrivedPictures> arriving_;
    bool storing_ = false;
    bool loading_ = false;
    std::wstring extractedFrom_;
    std::unordered_map<std::string, Origin> origins_;
    // Keys asked for and not yet arrived: a key is its target's, and every
    // button of that target waits for the one answer.
    std::unordered_set<std::string> pending_;
    bool menuDark_ = false;
};

// An icon of the given size from a picture file (icon, cursor or bitmap);
// raises 481 (invalid picture) when the file holds none.
UniqueIcon LoadPictureFile(const std::string& file, int sizePx);

}  // namespace lark::win
