#include "icons/win32/PictureWorker.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <condition_variable>
#include <mutex>
#include <optional>

#include "base/RuntimeError.h"
#include "base/win32/IconBits.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "icons/PictureQueue.h"

namespace lark::win {
namespace {

// A target's size and last write time; nullopt when it cannot be read.
std::optional<std::pair<uint64_t, uint64_t>> Stamp(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const uint64_t time =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return std::make_pair(size, time);
}

}  // namespace

UniqueIcon ExtractFirstIcon(const std::wstring& file, int sizePx) {
    HICON icon = nullptr;
    UINT id = 0;
    const UINT extracted = PrivateExtractIconsW(file.c_str(), 0, sizePx, sizePx, &icon, &id, 1, 0);
    // On failure the output may hold garbage: trust it only on success.
    return UniqueIcon(extracted == 1 ? icon : nullptr);
}

namespace {

// The environment names the folder in every session; asking the shell,
// which then loads, is the fallback.
std::wstring LocalAppDataFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), MAX_PATH);
    folder.resize(length < MAX_PATH ? length : 0);
    // A relative value would follow the current folder.
    const bool absolute = (folder.size() > 2 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
                          folder.rfind(L"\\\\", 0) == 0;
    if (absolute) return folder;
    PWSTR known = nullptr;
    folder.clear();
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known))) folder = known;
    CoTaskMemFree(known);
    return folder;
}

}  // namespace

std::wstring DefaultPictureCacheFile() {
    const std::wstring folder = LocalAppDataFolder();
    return folder.empty() ? folder : folder + L"\\Larkspan\\pictures.cache";
}

// Everything the workers and the user-interface thread share, under one
// lock. Owned jointly: a worker held up by an unanswering network target
// may outlive the PictureWorker.
struct PictureWorker::Shared {
    std::mutex lock;
    std::condition_variable wake;
    PictureQueue local;
    PictureQueue network;
    uint64_t generation = 0;
    bool stop = false;
    bool holding = false;
    int underWay = 0;
    std::vector<ArrivedPictures> arrived;
    bool told = false;

    HWND window;
    UINT message;
    int smallPx;
    int largePx;
    PictureWorker::CacheFileFinder findCacheFile;
    std::wstring cacheFile;  // found before cacheRead turns true
    Extractor extract;
    PictureCache cache;
    bool cacheRead = false;
    size_t extracted = 0;

    // The worker's loop: one job at a time from its queue until stopped.
    void Run(bool networkQueue);
    void Process(const PictureJob& job, uint64_t generation);
    void ReadCache();
    void SaveCacheIfIdle(std::unique_lock<std::mutex>& held);
};

void PictureWorker::Shared::ReadCache() {
    std::wstring file;
    if (findCacheFile) Guard([&] { file = findCacheFile(); });
    std::string bytes;
    if (!file.empty()) {
        FileSystemService files;
        Guard([&] { bytes = files.ReadBytes(Narrow(file)); });
    }
    PictureCache read = PictureCache::Parse(bytes);
    std::lock_guard<std::mutex> held(lock);
    cacheFile = std::move(file);
    cache = std::move(read);
    cacheRead = true;
    wake.notify_all();
}

void PictureWorker::Shared::Run(bool networkQueue) {
    std::optional<HRESULT> com;
    // Pictures may wait; the user's clicks and the bar's paints may not.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    if (!networkQueue) {
        {
            std::unique_lock<std::mutex> held(lock);
            wake.wait(held, [&] { return stop || !holding; });
        }
        ReadCache();
    }
    PictureQueue& queue = networkQueue ? network : local;
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        wake.wait(held, [&] { return stop || (cacheRead && !holding && !queue.Empty()); });
        if (stop) break;
        const PictureJob job = *queue.Pop();
        const uint64_t asked = generation;
        ++underWay;
        held.unlock();
        // Shell calls want a single-threaded apartment on the thread that
        // makes them; COM starts with the first job, not with the bar.
        if (!com) com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        Guard([&] { Process(job, asked); });
        held.lock();
        --underWay;
        SaveCacheIfIdle(held);
    }
    held.unlock();
    if (com && SUCCEEDED(*com)) CoUninitialize();
}

void PictureWorker::Shared::Process(const PictureJob& job, uint64_t asked) {
    const std::wstring target = Widen(job.target);
    const auto stamp = Stamp(target);
    ArrivedPictures pictures{job.key, {}, {}, {}, {}};
    bool fromCache = false;
    if (stamp) {
        std::lock_guard<std::mutex> held(lock);
        if (const TargetPictures* kept = cache.Find(job.target, stamp->first, stamp->second, smallPx, largePx)) {
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
            icon = extract(target, sizePx);
            IconPixels read;
            if (icon && PixelsFromIcon(icon.get(), sizePx, read)) {
                pixels = std::move(read);
                icon.reset();
            }
        };
        take(largePx, pictures.largePixels, pictures.large);
        take(smallPx, pictures.smallPixels, pictures.small);
        TargetPictures kept;
        kept.smallPx = smallPx;
        kept.largePx = largePx;
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
    std::lock_guard<std::mutex> held(lock);
    if (asked != generation) return;  // asked for by a load that was replaced
    arrived.push_back(std::move(pictures));
    if (!told) told = PostMessageW(window, message, 0, 0) != FALSE;
}

void PictureWorker::Shared::SaveCacheIfIdle(std::unique_lock<std::mutex>& held) {
    if (underWay != 0 || !local.Empty() || !network.Empty() || !cache.Changed() || cacheFile.empty()) return;
    const std::string bytes = cache.Serialize();
    cache.Saved();
    held.unlock();
    Guard([&] {
        FileSystemService files;
        const std::string path = Narrow(cacheFile);
        files.CreateFolder(path.substr(0, path.find_last_of('\\')));
        files.SaveAtomically(path, bytes, "");
    });
    held.lock();
}

PictureWorker::PictureWorker(HWND window, UINT message, int smallPx, int largePx, CacheFileFinder cacheFile,
                             Extractor extract, bool held)
    : shared_(std::make_shared<Shared>()) {
    shared_->extract = std::move(extract);
    shared_->window = window;
    shared_->message = message;
    shared_->smallPx = smallPx;
    shared_->largePx = largePx;
    shared_->findCacheFile = std::move(cacheFile);
    shared_->holding = held;
    if (!held) StartThreads();
}

void PictureWorker::StartThreads() {
    // A thread is a megabyte of working set under Wine, and one made during
    // the load competes with the bar's first paint: the local worker starts
    // once nothing holds it, the network's with the first network target.
    bool network = false;
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        network = !shared_->network.Empty();
    }
    std::shared_ptr<Shared> shared = shared_;
    if (!local_.joinable()) local_ = std::thread([shared] { shared->Run(false); });
    if (network && !network_.joinable()) network_ = std::thread([shared] { shared->Run(true); });
}

PictureWorker::~PictureWorker() {
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        shared_->stop = true;
        shared_->local.Clear();
        shared_->network.Clear();
    }
    shared_->wake.notify_all();
    if (local_.joinable()) local_.join();
    // What an unanswering network target leaves unfinished is not waited for.
    std::unique_lock<std::mutex> held(shared_->lock);
    shared_->underWay = 0;
    shared_->SaveCacheIfIdle(held);
    held.unlock();
    // A network target may keep its worker for a long while: the program
    // does not wait for it, and the worker holds what it needs.
    if (network_.joinable()) network_.detach();
}

void PictureWorker::Request(const std::string& target, const std::string& key) {
    bool holding = false;
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        (IsNetworkPath(target) ? shared_->network : shared_->local).Push({target, key});
        holding = shared_->holding;
    }
    if (!holding) StartThreads();
    shared_->wake.notify_all();
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
}

size_t PictureWorker::Extracted() const {
    std::lock_guard<std::mutex> held(shared_->lock);
    return shared_->extracted;
}

std::vector<ArrivedPictures> PictureWorker::Take() {
    std::vector<ArrivedPictures> taken;
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->told = false;
    taken.swap(shared_->arrived);
    return taken;
}

}  // namespace lark::win
