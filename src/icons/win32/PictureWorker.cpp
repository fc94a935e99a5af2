#include "icons/win32/PictureWorker.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shellapi.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>

#include "base/Log.h"
#include "base/RuntimeError.h"
#include "base/win32/CrashStack.h"
#include "base/win32/IconBits.h"
#include "base/win32/Services.h"
#include "base/win32/SystemLibrary.h"
#include "base/win32/Text.h"
#include "base/win32/UserFolders.h"
#include "icons/PictureQueue.h"

namespace lark::win {

std::optional<std::pair<uint64_t, uint64_t>> FileStamp(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const uint64_t time =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return std::make_pair(size, time);
}

bool IsRemoteDrive(char letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    // Answered from the drive's kind, without reaching the server behind it.
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

UniqueIcon ExtractFirstIcon(const std::wstring& file, int sizePx) {
    HICON icon = nullptr;
    UINT id = 0;
    const UINT extracted = PrivateExtractIconsW(file.c_str(), 0, sizePx, sizePx, &icon, &id, 1, 0);
    // On failure the output may hold garbage: trust it only on success.
    return UniqueIcon(extracted == 1 ? icon : nullptr);
}

UniqueIcon TypeIcon(const std::wstring& file, int sizePx) {
    static const auto fileInfo = SystemFunction<decltype(&SHGetFileInfoW)>(L"shell32.dll", "SHGetFileInfoW");
    // The attributes stand in for the file, which is never opened.
    SHFILEINFOW info{};
    if (!fileInfo(file.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                  SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES))
        return UniqueIcon();
    // The system's lists from the smallest: the first of at least the size
    // asked is shrunk, which stays sharp; the largest is the last resort.
    static const auto imageList = SystemFunction<decltype(&SHGetImageList)>(L"shell32.dll", "SHGetImageList");
    static const IID kImageList = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};
    constexpr int kLists[] = {1 /* small */, 0 /* large */, 2 /* extra large */, 4 /* jumbo */};
    UniqueIcon best;
    for (int which : kLists) {
        IUnknown* list = nullptr;
        if (FAILED(imageList(which, kImageList, reinterpret_cast<void**>(&list))) || !list) continue;
        // The interface of the system's image list is its handle as well.
        const auto handle = reinterpret_cast<HIMAGELIST>(list);
        int width = 0, height = 0;
        ImageList_GetIconSize(handle, &width, &height);
        UniqueIcon icon(ImageList_GetIcon(handle, info.iIcon, ILD_TRANSPARENT));
        list->Release();
        if (!icon) continue;
        best = std::move(icon);
        if (width >= sizePx) break;
    }
    return best;
}

std::wstring DefaultPictureCacheFile() {
    return LocalDataFile(L"pictures.cache");
}

// Everything the workers and the user-interface thread share, under one
// lock. Owned jointly: a worker held up by an unanswering target may
// outlive the PictureWorker.
struct PictureWorker::Shared {
    std::mutex lock;
    std::condition_variable wake;
    PictureQueue local;
    PictureQueue network;
    uint64_t generation = 0;
    bool stop = false;
    bool holding = false;
    int underWay = 0;
    bool localBusy = false;  // a local target under way on the background thread
    bool saving = false;
    std::vector<ArrivedPictures> arrived;
    bool told = false;

    HWND window;
    UINT message;
    int smallPx;
    int largePx;
    PictureWorker::CacheFileFinder findCacheFile;
    std::wstring cacheFile;  // found before cacheRead turns true
    Sources sources;
    // Read when a job needs it and let go once the workers are idle: its
    // pixels are in the image lists by then, and a section shown later
    // reads the file again.
    PictureCache cache;
    bool cacheRead = false;
    bool reading = false;
    // Targets to keep, until the cache is read; once each, however often a
    // reload of the catalogue names them again.
    std::set<std::string> toKeep;
    size_t extracted = 0;

    // One job from the queue, if there is one to take; answers whether it took one.
    bool TakeOne(PictureQueue& queue, std::unique_lock<std::mutex>& held);
    // The background thread's step.
    bool StepLocal();
    // The network targets' thread, until stopped.
    void RunNetwork();
    void Process(const PictureJob& job, uint64_t generation);
    // A network target the user never launched: its type's picture.
    void TypePictures(const PictureJob& job, ArrivedPictures& pictures);
    void ReadCache();
    void EnsureCacheRead(std::unique_lock<std::mutex>& held);
    void SaveCacheIfIdle(std::unique_lock<std::mutex>& held);
};

void PictureWorker::Shared::ReadCache() {
    std::wstring file;
    {
        std::lock_guard<std::mutex> held(lock);
        file = cacheFile;
    }
    if (file.empty() && findCacheFile) Guard([&] { file = findCacheFile(); });
    std::string bytes;
    if (!file.empty()) {
        FileSystemService files;
        const std::string path = Narrow(file);
        LoggedGuard("Reading the picture cache", [&] {
            if (files.Exists(path)) bytes = files.ReadBytes(path);
        });
    }
    PictureCache read = PictureCache::Parse(bytes);
    std::lock_guard<std::mutex> held(lock);
    cacheFile = std::move(file);
    cache = std::move(read);
    for (const std::string& target : toKeep) cache.Keep(target);
    toKeep = {};
    cacheRead = true;
    wake.notify_all();
}

void PictureWorker::Shared::EnsureCacheRead(std::unique_lock<std::mutex>& held) {
    while (!cacheRead && !stop) {
        if (reading) {
            wake.wait(held, [&] { return cacheRead || !reading || stop; });
            continue;
        }
        reading = true;
        held.unlock();
        ReadCache();
        held.lock();
        reading = false;
    }
}

bool PictureWorker::Shared::TakeOne(PictureQueue& queue, std::unique_lock<std::mutex>& held) {
    if (stop || holding || queue.Empty()) return false;
    EnsureCacheRead(held);
    // Stopped, or the queue cleared by a new load, while the cache was read.
    if (stop || holding || queue.Empty()) return false;
    const PictureJob job = *queue.Pop();
    const uint64_t asked = generation;
    ++underWay;
    held.unlock();
    LoggedGuard("Reading the pictures of a program", [&] { Process(job, asked); });
    held.lock();
    --underWay;
    SaveCacheIfIdle(held);
    return true;
}

bool PictureWorker::Shared::StepLocal() {
    std::unique_lock<std::mutex> held(lock);
    localBusy = true;
    const bool did = TakeOne(local, held);
    localBusy = false;
    held.unlock();
    wake.notify_all();
    return did;
}

void PictureWorker::Shared::RunNetwork() {
    KeepStackForCrash();
    // Shell calls want a single-threaded apartment on the thread that makes them.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_lock<std::mutex> held(lock);
    while (!stop) {
        wake.wait(held, [&] { return stop || (!holding && !network.Empty()); });
        TakeOne(network, held);
    }
    held.unlock();
    if (SUCCEEDED(com)) CoUninitialize();
}

void PictureWorker::Shared::TypePictures(const PictureJob& job, ArrivedPictures& pictures) {
    const std::wstring target = Widen(job.target);
    pictures.large = sources.typeIcon(target, pictures.largePx);
    pictures.small = sources.typeIcon(target, pictures.smallPx);
}

void PictureWorker::Shared::Process(const PictureJob& job, uint64_t asked) {
    ArrivedPictures pictures;
    pictures.key = job.key;
    pictures.target = job.target;
    {
        std::lock_guard<std::mutex> held(lock);
        pictures.smallPx = smallPx;
        pictures.largePx = largePx;
    }
    const bool mayOpen = !job.network || (sources.mayOpen && sources.mayOpen(job.target));
    if (!mayOpen) {
        // Not even its size and time are asked for: that too reaches the server.
        TypePictures(job, pictures);
    } else {
        const std::wstring target = Widen(job.target);
        const auto stamp = sources.stamp(target);
        bool fromCache = false;
        if (stamp) {
            std::lock_guard<std::mutex> held(lock);
            if (const TargetPictures* kept =
                    cache.Find(job.target, stamp->first, stamp->second, pictures.smallPx, pictures.largePx)) {
                pictures.smallPixels = kept->small;
                pictures.largePixels = kept->large;
                fromCache = true;
            }
        }
        if (!fromCache) {
            {
                std::lock_guard<std::mutex> held(lock);
                ++extracted;
            }
            // Handed over as pixels where they read back exactly, else as the icon.
            auto take = [&](int sizePx, std::optional<IconPixels>& pixels, UniqueIcon& icon) {
                icon = sources.extract(target, sizePx);
                IconPixels read;
                if (icon && PixelsFromIcon(icon.get(), sizePx, read)) {
                    pixels = std::move(read);
                    icon.reset();
                }
            };
            take(pictures.largePx, pictures.largePixels, pictures.large);
            take(pictures.smallPx, pictures.smallPixels, pictures.small);
            TargetPictures kept;
            kept.smallPx = pictures.smallPx;
            kept.largePx = pictures.largePx;
            kept.small = pictures.smallPixels;
            kept.large = pictures.largePixels;
            // An icon whose pixels did not read is not kept: the next start extracts it.
            const bool whole = !pictures.small && !pictures.large;
            std::lock_guard<std::mutex> held(lock);
            if (stamp && whole) {
                kept.fileSize = stamp->first;
                kept.writeTime = stamp->second;
                cache.Put(job.target, std::move(kept));
            } else if (!stamp) {
                cache.Forget(job.target);
            }
        }
    }
    std::lock_guard<std::mutex> held(lock);
    if (asked != generation || stop) return;  // asked for by a load that was replaced
    arrived.push_back(std::move(pictures));
    if (!told) told = PostMessageW(window, message, 0, 0) != FALSE;
}

void PictureWorker::Shared::SaveCacheIfIdle(std::unique_lock<std::mutex>& held) {
    auto idle = [&] { return underWay == 0 && !saving && !reading && local.Empty() && network.Empty(); };
    if (!idle() || !cacheRead) return;
    if (cache.Changed() && !cacheFile.empty()) {
        const std::string bytes = cache.Serialize();
        cache.Saved();
        saving = true;
        held.unlock();
        LoggedGuard("Saving the picture cache", [&] {
            FileSystemService files;
            const std::string path = Narrow(cacheFile);
            files.CreateFolder(path.substr(0, path.find_last_of('\\')));
            files.SaveAtomically(path, bytes, "");
        });
        held.lock();
        saving = false;
    }
    // Let go only once written (a failed save loses nothing more than it
    // did: those targets are extracted again next time).
    if (!idle() || !cacheRead || cache.Changed()) return;
    std::vector<std::string> used = cache.UsedPaths();
    toKeep.insert(used.begin(), used.end());
    cache = PictureCache();
    cacheRead = false;
}

PictureWorker::PictureWorker(HWND window, UINT message, int smallPx, int largePx, CacheFileFinder cacheFile,
                             Sources sources, bool held, unsigned exitWaitMs,
                             std::shared_ptr<BackgroundThread> background)
    : shared_(std::make_shared<Shared>()),
      background_(background ? std::move(background) : std::make_shared<BackgroundThread>()),
      exitWaitMs_(exitWaitMs) {
    shared_->sources = std::move(sources);
    shared_->window = window;
    shared_->message = message;
    shared_->smallPx = smallPx;
    shared_->largePx = largePx;
    shared_->findCacheFile = std::move(cacheFile);
    shared_->holding = held;
    step_ = background_->Add([shared = shared_] { return shared->StepLocal(); });
    if (!held) StartThreads();
}

void PictureWorker::StartThreads() {
    // The background thread starts with its first poke, once nothing holds
    // the work (a thread made during the load competes with the bar's first
    // paint); the network's thread with the first network target.
    bool network = false;
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        network = !shared_->network.Empty();
    }
    background_->Poke();
    if (network && !network_.joinable()) network_ = std::thread([shared = shared_] { shared->RunNetwork(); });
}

PictureWorker::~PictureWorker() {
    background_->Remove(step_);
    std::unique_lock<std::mutex> held(shared_->lock);
    shared_->stop = true;
    shared_->local.Clear();
    shared_->network.Clear();
    shared_->wake.notify_all();
    // A local target that does not answer (a drive that went to sleep, a
    // stale mapping) holds the background thread as long as it likes: the
    // end of the program waits a moment for it, no longer.
    shared_->wake.wait_for(held, std::chrono::milliseconds(exitWaitMs_), [&] { return !shared_->localBusy; });
    // What an unanswering target leaves unfinished is not waited for.
    shared_->underWay = 0;
    shared_->SaveCacheIfIdle(held);
    held.unlock();
    // A network target may keep its thread for a long while: the program
    // does not wait for it, and the thread holds what it needs.
    if (network_.joinable()) network_.detach();
}

bool PictureWorker::IsNetwork(const std::string& target) {
    return IsNetworkPath(target, [this](char letter) {
        for (const auto& [drive, remote] : drives_)
            if (drive == letter) return remote;
        const bool remote = shared_->sources.remoteDrive && shared_->sources.remoteDrive(letter);
        drives_.emplace_back(letter, remote);
        return remote;
    });
}

void PictureWorker::Request(const std::string& target, const std::string& key) {
    PictureJob job{target, key, IsNetwork(target)};
    bool holding = false;
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        (job.network ? shared_->network : shared_->local).Push(std::move(job));
        holding = shared_->holding;
    }
    if (!holding) StartThreads();
    shared_->wake.notify_all();
}

void PictureWorker::Keep(const std::string& target) {
    std::lock_guard<std::mutex> held(shared_->lock);
    if (shared_->cacheRead) {
        shared_->cache.Keep(target);
    } else {
        shared_->toKeep.insert(target);
    }
}

void PictureWorker::UseSizes(int smallPx, int largePx) {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->smallPx = smallPx;
    shared_->largePx = largePx;
}

void PictureWorker::Prioritize(const std::vector<std::string>& keys) {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->local.Prioritize(keys);
    shared_->network.Prioritize(keys);
}

void PictureWorker::Hold(bool on) {
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        shared_->holding = on;
    }
    if (!on) StartThreads();
    shared_->wake.notify_all();
}

void PictureWorker::Restart() {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->local.Clear();
    shared_->network.Clear();
    ++shared_->generation;
    shared_->arrived.clear();
    // A drive mapped or let go since is seen anew.
    drives_.clear();
}

size_t PictureWorker::Extracted() const {
    std::lock_guard<std::mutex> held(shared_->lock);
    return shared_->extracted;
}

size_t PictureWorker::Pending() const {
    std::lock_guard<std::mutex> held(shared_->lock);
    return shared_->local.Size() + shared_->network.Size() + static_cast<size_t>(shared_->underWay) +
           shared_->arrived.size();
}

std::vector<ArrivedPictures> PictureWorker::Take() {
    std::vector<ArrivedPictures> taken;
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->told = false;
    taken.swap(shared_->arrived);
    return taken;
}

}  // namespace lark::win
