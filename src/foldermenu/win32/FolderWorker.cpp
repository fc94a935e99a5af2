#include "foldermenu/win32/FolderWorker.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <deque>
#include <map>
#include <mutex>
#include <set>

#include "base/RuntimeError.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr DWORD kStopWaitMs = 2000;

bool EndsWithIgnoreCase(const std::wstring& text, const wchar_t* suffix) {
    const size_t n = wcslen(suffix);
    return text.size() > n &&
           CompareStringOrdinal(text.c_str() + text.size() - n, static_cast<int>(n), suffix, static_cast<int>(n),
                                TRUE) == CSTR_EQUAL;
}

// A shortcut keeps what it points at, folder or not: read without
// touching the target, which may be anywhere.
bool ShortcutToFolder(const std::wstring& path) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        FAILED(file->Load(path.c_str(), STGM_READ)))
        return false;
    wchar_t target[MAX_PATH] = {};
    WIN32_FIND_DATAW data{};
    if (SUCCEEDED(link->GetPath(target, MAX_PATH, &data, SLGP_RAWPATH)) && target[0])
        return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A shell object (This PC, Control Panel) has no path.
    ITEMIDLIST* raw = nullptr;
    if (FAILED(link->GetIDList(&raw)) || !raw) return false;
    const UniquePidl pidl(raw);
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM;
    ComPtr<IShellFolder> parent;
    const ITEMIDLIST* child = nullptr;
    if (FAILED(SHBindToParent(pidl.get(), IID_IShellFolder, reinterpret_cast<void**>(parent.put()), &child)) ||
        FAILED(parent->GetAttributesOf(1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&child), &attributes)))
        return false;
    return (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
}

bool IsFolderPath(const std::wstring& path) {
    const std::wstring root = path.substr(0, 3);
    // Another machine's drive is judged by the name alone: it is not
    // touched before the user opens it.
    if (GetDriveTypeW(root.c_str()) == DRIVE_REMOTE) return NamedLikeFolder(Narrow(path));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    return EndsWithIgnoreCase(path, L".lnk") && ShortcutToFolder(path);
}

// Types whose files each draw their own picture ("%1", or an icon handler).
bool OwnPictures(const std::wstring& fileName) {
    const size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    const std::wstring type = fileName.substr(dot);
    wchar_t progId[256] = {};
    DWORD size = sizeof progId - sizeof progId[0];
    if (RegGetValueW(HKEY_CLASSES_ROOT, type.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, progId, &size) !=
        ERROR_SUCCESS)
        return false;
    wchar_t icon[MAX_PATH] = {};
    size = sizeof icon - sizeof icon[0];
    const std::wstring defaultIcon = std::wstring(progId) + L"\\DefaultIcon";
    if (RegGetValueW(HKEY_CLASSES_ROOT, defaultIcon.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                                                                          RRF_NOEXPAND,
                     nullptr, icon, &size) == ERROR_SUCCESS &&
        wcsstr(icon, L"%1"))
        return true;
    HKEY handler = nullptr;
    const std::wstring iconHandler = std::wstring(progId) + L"\\ShellEx\\IconHandler";
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, iconHandler.c_str(), 0, KEY_QUERY_VALUE, &handler) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handler);
    return true;
}

}  // namespace

struct FolderWorker::Shared {
    std::mutex lock;
    std::condition_variable ended;
    bool stop = false;
    bool busy = false;  // a piece of work under way
    HWND notify;
    UINT message;
    bool told = false;

    std::deque<std::string> probes;
    std::vector<Probed> probed;
    // The type's picture first for all, then each file's own.
    std::deque<PictureJob> byType;
    std::deque<PictureJob> own;
    uint64_t wantedMenu = 0;
    std::vector<Picture> pictures;

    // The worker's own: what it has looked up and handed out.
    std::map<std::wstring, int> typeIndex;
    std::map<std::wstring, bool> ownPictures;
    std::set<int> handedOut;

    // One piece of work, if there is one; answers whether there was.
    bool Step();
    void MakePicture(PictureJob& job, bool byTypeJob);
    void Tell(std::unique_lock<std::mutex>& held);
    void Deliver(PictureJob& job, int systemIndex);
};

void FolderWorker::Shared::Tell(std::unique_lock<std::mutex>& held) {
    (void)held;
    if (told) return;
    told = true;
    PostMessageW(notify, message, 0, 0);
}

void FolderWorker::Shared::Deliver(PictureJob& job, int systemIndex) {
    if (systemIndex < 0) return;
    {
        std::lock_guard<std::mutex> held(lock);
        if (job.menu != wantedMenu) return;
    }
    // Each picture crosses once; the menus keep what they were handed.
    UniqueIcon icon;
    const bool first = handedOut.insert(systemIndex).second;
    if (first) {
        SHFILEINFOW info{};
        const auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
            L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
        if (list) icon.reset(ImageList_GetIcon(list, systemIndex, ILD_NORMAL));
        if (!icon) {
            handedOut.erase(systemIndex);
            return;
        }
    }
    std::unique_lock<std::mutex> held(lock);
    if (job.menu != wantedMenu) {
        if (first) handedOut.erase(systemIndex);
        return;
    }
    pictures.push_back(Picture{job.menu, job.item, systemIndex, std::move(icon)});
    Tell(held);
}

bool FolderWorker::Shared::Step() {
    std::string probe;
    PictureJob job;
    bool byTypeJob = false;
    {
        std::lock_guard<std::mutex> held(lock);
        if (stop) return false;
        // Pictures first: a menu that asks for them is on screen.
        if (!byType.empty()) {
            job = std::move(byType.front());
            byType.pop_front();
            byTypeJob = true;
        } else if (!own.empty()) {
            job = std::move(own.front());
            own.pop_front();
        } else if (!probes.empty()) {
            probe = std::move(probes.front());
            probes.pop_front();
        } else {
            return false;
        }
        busy = true;
    }
    if (!probe.empty()) {
        bool folder = false;
        Guard([&] { folder = IsFolderPath(Widen(probe)); });
        std::unique_lock<std::mutex> held(lock);
        probed.push_back(Probed{std::move(probe), folder});
        Tell(held);
    } else {
        Guard([&] { MakePicture(job, byTypeJob); });
    }
    std::lock_guard<std::mutex> held(lock);
    busy = false;
    ended.notify_all();
    return true;
}

void FolderWorker::Shared::MakePicture(PictureJob& job, bool byTypeJob) {
    if (byTypeJob) {
        const std::wstring type =
            job.folder ? L"\\" : job.fileName.substr(std::min(job.fileName.rfind(L'.'), job.fileName.size()));
        auto known = typeIndex.find(type);
        if (known == typeIndex.end()) {
            SHFILEINFOW info{};
            const std::wstring sample = job.folder ? L"folder" : L"file" + type;
            const DWORD attributes = job.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
            const int index = SHGetFileInfoW(sample.c_str(), attributes, &info, sizeof info,
                                             SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)
                                  ? info.iIcon
                                  : -1;
            known = typeIndex.emplace(type, index).first;
        }
        auto drawsOwn = ownPictures.find(type);
        if (drawsOwn == ownPictures.end())
            drawsOwn = ownPictures.emplace(type, !job.folder && OwnPictures(job.fileName)).first;
        const bool needsOwn = job.folder || job.fileName.empty() || drawsOwn->second;
        Deliver(job, known->second);
        if (needsOwn) {
            std::unique_lock<std::mutex> held(lock);
            if (job.menu == wantedMenu) own.push_back(std::move(job));
        }
        return;
    }
    SHFILEINFOW info{};
    if (job.absolute && SHGetFileInfoW(reinterpret_cast<const wchar_t*>(job.absolute.get()), 0, &info, sizeof info,
                                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        Deliver(job, info.iIcon);
}

FolderWorker::FolderWorker(HWND notify, UINT message, std::shared_ptr<BackgroundThread> background)
    : shared_(std::make_shared<Shared>()),
      background_(background ? std::move(background) : std::make_shared<BackgroundThread>()) {
    shared_->notify = notify;
    shared_->message = message;
    // The thread holds the state jointly: a piece of work held up by a slow
    // disk may outlive this.
    step_ = background_->Add([shared = shared_] { return shared->Step(); });
}

FolderWorker::~FolderWorker() {
    background_->Remove(step_);
    std::unique_lock<std::mutex> held(shared_->lock);
    shared_->stop = true;
    shared_->ended.wait_for(held, std::chrono::milliseconds(kStopWaitMs), [&] { return !shared_->busy; });
}

void FolderWorker::Probe(const std::string& target) {
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        shared_->probes.push_back(target);
    }
    background_->Poke();
}
std::vector<FolderWorker::Probed> FolderWorker::TakeProbed() {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->told = false;
    return std::exchange(shared_->probed, {});
}

void FolderWorker::RequestPictures(std::vector<PictureJob> jobs) {
    {
        std::lock_guard<std::mutex> held(shared_->lock);
        for (auto it = jobs.rbegin(); it != jobs.rend(); ++it) shared_->byType.push_front(std::move(*it));
    }
    background_->Poke();
}

void FolderWorker::ForgetPictures(uint64_t exceptMenu) {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->wantedMenu = exceptMenu;
    auto stale = [&](const PictureJob& job) { return job.menu != exceptMenu; };
    std::erase_if(shared_->byType, stale);
    std::erase_if(shared_->own, stale);
    std::erase_if(shared_->pictures, [&](const Picture& p) { return p.menu != exceptMenu; });
}

std::vector<FolderWorker::Picture> FolderWorker::TakePictures() {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->told = false;
    return std::exchange(shared_->pictures, {});
}

}  // namespace lark::win
