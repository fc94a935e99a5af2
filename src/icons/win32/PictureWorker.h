#pragma once
// Button pictures extracted away from the user-interface thread: a target
// asked for goes to the bar's background thread (targets on another machine
// to a thread of their own, so one that does not answer holds up no local
// program), which
// takes its pictures from the picture cache when the target is unchanged,
// or extracts them and keeps them there. The window named at construction
// is told, by a posted message, when pictures are ready to be taken.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/win32/BackgroundThread.h"
#include "base/win32/Handles.h"
#include "icons/PictureCache.h"

namespace lark::win {

// A target's pictures: as pixels, or as the icon itself where its pixels
// could not be read; neither where it had no icon of that size. Made at
// the sizes asked for when the worker took the target up.
struct ArrivedPictures {
    std::string key;
    std::string target;
    int smallPx = 0;
    int largePx = 0;
    std::optional<IconPixels> smallPixels;
    std::optional<IconPixels> largePixels;
    UniqueIcon small;
    UniqueIcon large;

    bool HasSmall() const { return smallPixels || small; }
    bool HasLarge() const { return largePixels || large; }
};

// The first icon of a file at one size, or null (on any thread).
UniqueIcon ExtractFirstIcon(const std::wstring& file, int sizePx);
// The picture the shell shows for any file of the target's type, found
// from its name alone: the file itself is never opened. Null when none.
UniqueIcon TypeIcon(const std::wstring& file, int sizePx);
// A target's size and last write time; nullopt when it cannot be read.
std::optional<std::pair<uint64_t, uint64_t>> FileStamp(const std::wstring& path);
// Whether the drive of that letter is a mapped network drive.
bool IsRemoteDrive(char letter);

// How the picture workers reach a target; the defaults are the real ones.
struct PictureSources {
    using Extractor = std::function<UniqueIcon(const std::wstring& file, int sizePx)>;
    Extractor extract = ExtractFirstIcon;  // opens the file
    Extractor typeIcon = TypeIcon;         // reads the name only
    std::function<std::optional<std::pair<uint64_t, uint64_t>>(const std::wstring&)> stamp = FileStamp;
    // Whether a network target may be opened (the user launched it); none:
    // never. Called on the workers' threads.
    std::function<bool(const std::string& target)> mayOpen;
    std::function<bool(char letter)> remoteDrive = IsRemoteDrive;
};

// The cache in the user's local application data ("Larkspan\pictures.cache");
// empty when that folder is unknown.
std::wstring DefaultPictureCacheFile();

class PictureWorker {
public:
    using Extractor = PictureSources::Extractor;
    using Sources = PictureSources;
    // How long the end of the program waits for a worker that is busy.
    static constexpr unsigned kExitWaitMs = 500;
    // Names the cache between runs (empty keeps none); asked on the worker
    // when it first reads the cache, so finding the folder costs a start
    // nothing.
    using CacheFileFinder = std::function<std::wstring()>;

    // Local targets are taken up on `background` (one of its own when none
    // is given).
    PictureWorker(HWND window, UINT message, int smallPx, int largePx, CacheFileFinder cacheFile, Sources sources = {},
                  bool held = false, unsigned exitWaitMs = kExitWaitMs,
                  std::shared_ptr<BackgroundThread> background = nullptr);
    // Stops the work; a target still under way after exitWaitMs is left to
    // end on its own (its thread holds what it needs), so a target that
    // does not answer never holds up the end of the program.
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    void Request(const std::string& target, const std::string& key);
    // The target's cached pictures stay in the cache file though not asked for.
    void Keep(const std::string& target);
    // Targets taken up from now on are made at these sizes (a DPI change);
    // what arrives from before carries the sizes it was made at.
    void UseSizes(int smallPx, int largePx);
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
    // Targets waiting, under way, or ready and not yet taken.
    size_t Pending() const;

private:
    void StartThreads();

    struct Shared;
    bool IsNetwork(const std::string& target);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<BackgroundThread> background_;
    int step_ = 0;
    std::thread network_;
    unsigned exitWaitMs_;
    // Drive letters found to be mapped network drives, or not.
    std::vector<std::pair<char, bool>> drives_;
};


}  // namespace lark::win
