#pragma once
// Button pictures extracted away from the user-interface thread: a target
// asked for goes to a worker (targets on another machine to a worker of
// their own, so one that does not answer holds up no local program), which
// takes its pictures from the picture cache when the target is unchanged,
// or extracts them and keeps them there. The window named at construction
// is told, by a posted message, when pictures are ready to be taken.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/win32/Handles.h"
#include "icons/PictureCache.h"

namespace lark::win {

// A target's pictures: as pixels, or as the icon itself where its pixels
// could not be read; neither where it had no icon of that size.
struct ArrivedPictures {
    std::string key;
    std::optional<IconPixels> smallPixels;
    std::optional<IconPixels> largePixels;
    UniqueIcon small;
    UniqueIcon large;

    bool HasSmall() const { return smallPixels || small; }
    bool HasLarge() const { return largePixels || large; }
};

// The first icon of a file at one size, or null (on any thread).
UniqueIcon ExtractFirstIcon(const std::wstring& file, int sizePx);

// The cache in the user's local application data ("Larkspan\pictures.cache");
// empty when that folder is unknown.
std::wstring DefaultPictureCacheFile();

class PictureWorker {
public:
    using Extractor = std::function<UniqueIcon(const std::wstring& file, int sizePx)>;
    // Names the cache between runs (empty keeps none); asked on the worker
    // when it first reads the cache, so finding the folder costs a start
    // nothing.
    using CacheFileFinder = std::function<std::wstring()>;
    PictureWorker(HWND window, UINT message, int smallPx, int largePx, CacheFileFinder cacheFile,
                  Extractor extract = ExtractFirstIcon, bool held = false);
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    void Request(const std::string& target, const std::string& key);
    // What these keys wait for goes first (the section on screen).
    void Prioritize(const std::vector<std::string>& keys);
    // Forgets every request: what is under way arrives for nobody.
    void Restart();
    // While held, requests wait and nothing is read or extracted: the
    // user-interface thread has the processor to itself (during a load).
    void Hold(bool held);
    // The pictures ready since the last call; on the thread that owns the
    // window.
    std::vector<ArrivedPictures> Take();
    // Targets whose icons were extracted rather than taken from the cache.
    size_t Extracted() const;

private:
    void StartThreads();

    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread local_;
    std::thread network_;
};


}  // namespace lark::win
