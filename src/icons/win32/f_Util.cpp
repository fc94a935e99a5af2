#include "icons/win32/f_Util.h"

#include <shellapi.h>

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"
#include "icons/win32/TargetIcons.h"

namespace lark::win {
namespace {

UniqueIcon ResourceIcon(const wchar_t* name, int sizePx) {
    return LoadIconAtSize(GetModuleHandleW(nullptr), name, sizePx);
}

struct MenuPicture {
    const char* key;
    const wchar_t* resource;
    const wchar_t* onDark = nullptr;  // a variant where the picture would vanish on a dark menu
};
constexpr MenuPicture kMenuPictures[] = {{"addsection", L"ADDSECTION"}, {"delsection", L"DELSECTION"},
                                         {"addbutton", L"ADDBUTTON"},   {"delbutton", L"DELBUTTON"},
                                         {"about", L"ABOUT"},           {"options", L"OPTIONS", L"OPTIONSDARK"},
                                         {"exit", L"EXIT"},             {"rename", L"RENAME"},
                                         {"properties", L"PROPERTIES"}, {"openlocation", L"OPENLOCATION"},
                                         {"runas", L"RUNAS"},           {"renamesection", L"RENAMESECTION"}};

UniqueIcon MenuIcon(const MenuPicture& picture, bool dark, int sizePx) {
    return ResourceIcon(dark && picture.onDark ? picture.onDark : picture.resource, sizePx);
}

// A bitmap as an icon: its top-left pixel's colour is transparent.
UniqueIcon IconFromBitmap(HBITMAP source, int sizePx) {
    UniqueBitmap scaled(static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, sizePx, sizePx, LR_CREATEDIBSECTION)));
    if (!scaled) return UniqueIcon();
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap mask(CreateBitmap(sizePx, sizePx, 1, 1, nullptr));
    UniqueMemoryDc maskDc(CreateCompatibleDC(nullptr));
    {
        SelectGuard pick(dc.get(), scaled.get());
        SelectGuard pickMask(maskDc.get(), mask.get());
        SetBkColor(dc.get(), GetPixel(dc.get(), 0, 0));
        BitBlt(maskDc.get(), 0, 0, sizePx, sizePx, dc.get(), 0, 0, SRCCOPY);
        // Transparent pixels black in the colour image, as icons want them.
        BitBlt(dc.get(), 0, 0, sizePx, sizePx, maskDc.get(), 0, 0, 0x00220326 /* DSna */);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = scaled.get();
    info.hbmMask = mask.get();
    return UniqueIcon(CreateIconIndirect(&info));
}

}  // namespace

UniqueIcon LoadPictureFile(const std::string& file, int sizePx) {
    const std::wstring path = Widen(file);
    UniqueIcon icon(static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, sizePx, sizePx, LR_LOADFROMFILE)));
    if (!icon) {
        icon.reset(static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, sizePx, sizePx, LR_LOADFROMFILE)));
    }
    if (!icon) {
        UniqueBitmap bitmap(static_cast<HBITMAP>(
            LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        if (bitmap) icon = IconFromBitmap(bitmap.get(), sizePx);
    }
    if (!icon) Raise(kErrInvalidPicture);
    return icon;
}

void f_Util::Load() {
    if (Loaded()) return;
    // Message-only: it takes the worker's news and its own timers, nothing a
    // desktop window needs, and costs a start a fraction of one.
    CreateFormWindow(WindowSpec{L"LarkspanUtil", 0, 0, L"Larkspan utility", RECT{0, 0, 0, 0}, HWND_MESSAGE});
}

const KeyedImageList& f_Util::MenuImages(int sizePx, bool dark) {
    // Made when a menu first shows, at its size, in the table's order
    // (IndexOf answers from the table before then).
    if (imgMenu.Count() == 0) {
        imgMenu.Resize(sizePx, nullptr);
        for (const MenuPicture& picture : kMenuPictures)
            imgMenu.Add(picture.key, MenuIcon(picture, dark, imgMenu.Size()).get());
        menuDark_ = dark;
    }
    imgMenu.Resize(sizePx, [dark](const std::string& key, int size) {
        for (const MenuPicture& picture : kMenuPictures)
            if (key == picture.key) return MenuIcon(picture, dark, size);
        return UniqueIcon();
    });
    if (dark != menuDark_) {
        for (const MenuPicture& picture : kMenuPictures)
            if (picture.onDark) imgMenu.Replace(picture.key, MenuIcon(picture, dark, imgMenu.Size()).get());
        menuDark_ = dark;
    }
    return imgMenu;
}

bool f_Util::UsePictureSizes(int smallPx, int largePx) {
    if (imgSmall.Size() == smallPx && imlToolbarIcons.Size() == largePx) return false;
    // Targets are not opened here, on the thread that paints: their old
    // pictures stand in, scaled, until the workers bring them at the new
    // size, from the picture cache where it has them.
    if (worker_) worker_->UseSizes(smallPx, largePx);
    auto remake = [this](const std::string& key, int size) { return Remake(key, size); };
    imgSmall.Resize(smallPx, remake);
    imlToolbarIcons.Resize(largePx, remake);
    for (const auto& [key, origin] : origins_)
        if (origin.kind == Origin::Kind::TargetIcon && imgSmall.Contains(key))
            Worker().Request(Narrow(origin.source), key);
    return true;
}

UniqueIcon f_Util::Remake(const std::string& key, int sizePx) const {
    auto it = origins_.find(key);
    if (it == origins_.end()) return UniqueIcon();
    const Origin& origin = it->second;
    switch (origin.kind) {
        case Origin::Kind::Resource: return ResourceIcon(origin.source.c_str(), sizePx);
        case Origin::Kind::TargetIcon: return UniqueIcon();  // the old one, scaled, until the worker's arrives
        case Origin::Kind::PictureFile: return LoadPictureFile(Narrow(origin.source), sizePx);
    }
    return UniqueIcon();
}

void f_Util::TargetOpened(const std::string& target) {
    const std::wstring opened = Widen(target);
    for (const auto& [key, origin] : origins_) {
        if (origin.kind != Origin::Kind::TargetIcon) continue;
        if (CompareStringOrdinal(origin.source.c_str(), -1, opened.c_str(), -1, TRUE) == CSTR_EQUAL)
            Worker().Request(target, key);
    }
}

int32_t f_Util::IndexOf(const std::string& key) {
    for (size_t i = 0; i < std::size(kMenuPictures); ++i)
        if (key == kMenuPictures[i].key) return static_cast<int32_t>(i);
    Raise(kErrInvalidCall);
}

void f_Util::InitImageLists(std::vector<std::string>& iconKeys, const std::string& programFolder,
                            IFileSystem& files, IAnsiCodePage& codePage) {
    // The lists start over: pictures still on their way are for nobody.
    if (worker_) worker_->Restart();
    arriving_.clear();
    origins_.clear();
    pending_.clear();
    // Database documents added through the menu show "mdb".
    const std::pair<const char*, const wchar_t*> fallbacks[] = {{"no", L"NA"}, {"folder", L"FOLDER"}, {"mdb", L"MDB"}};
    for (KeyedImageList* list : {&imgSmall, &imlToolbarIcons}) {
        list->Clear();
        for (const auto& [key, resource] : fallbacks) list->Add(key, ResourceIcon(resource, list->Size()).get());
    }
    for (const auto& [key, resource] : fallbacks) origins_[key] = Origin{Origin::Kind::Resource, resource};
    LoadIconCache(iconKeys, programFolder, files, codePage, *this);
}

IIconSource::Found f_Util::ExtractIcons(const std::string& path) {
    largeIcon_.reset();
    smallIcon_.reset();
    extractedFrom_ = Widen(path);
    // The first icon at each size on its own: a combined request may hand
    // back the large frame shrunk where the file has a small one.
    largeIcon_ = sources_.extract(extractedFrom_, imlToolbarIcons.Size());
    smallIcon_ = sources_.extract(extractedFrom_, imgSmall.Size());
    return {reinterpret_cast<uintptr_t>(largeIcon_.get()), reinterpret_cast<uintptr_t>(smallIcon_.get())};
}

namespace {
constexpr UINT kPicturesArrived = WM_APP + 20;
// Arrived pictures are stored on a timer, a slice at a time: timer and paint
// messages come only when nothing else waits, so the bar paints and answers
// the user while thousands of pictures stream in.
constexpr UINT_PTR kStoreTimer = 1;
constexpr UINT_PTR kReleaseTimer = 2;
constexpr UINT kStoreEveryMs = 30;
constexpr size_t kStorePerSlice = 200;
}  // namespace

PictureWorker& f_Util::Worker() {
    Load();
    if (!worker_) {
        worker_ = std::make_unique<PictureWorker>(Handle(), kPicturesArrived, imgSmall.Size(),
                                                  imlToolbarIcons.Size(), cacheFile_, sources_, loading_,
                                                  PictureWorker::kExitWaitMs, background_);
    }
    return *worker_;
}

void f_Util::RequestPictures(const std::string& target, const std::string& key) {
    // A key is its target's: every button of that target waits for the one
    // answer, and a picture already under the key is this target's and
    // shows meanwhile.
    if (!pending_.insert(key).second) return;
    PictureWorker& worker = Worker();
    // After a DPI change the picture is asked for again from its target.
    origins_[key] = Origin{Origin::Kind::TargetIcon, Widen(target)};
    worker.Request(target, key);
}

void f_Util::KeepPictures(const std::string& target) { Worker().Keep(target); }

void f_Util::RestartPictures() {
    pending_.clear();
    if (worker_) worker_->Restart();
    if (worker_) worker_->Hold(true);
    arriving_.clear();
    loading_ = true;
}

void f_Util::LoadEnded() {
    // Timers come only once nothing else waits, paints included: the bar
    // is on screen before any picture is read, extracted or stored.
    if (!SetTimer(Handle(), kReleaseTimer, 1, nullptr)) ReleasePictures();
}

void f_Util::ReleasePictures() {
    KillTimer(Handle(), kReleaseTimer);
    loading_ = false;
    if (worker_) worker_->Hold(false);
    if (worker_ && !storing_) storing_ = SetTimer(Handle(), kStoreTimer, kStoreEveryMs, nullptr) != 0;
}

void f_Util::PrioritizePictures(const std::vector<std::string>& keys) {
    if (worker_) worker_->Prioritize(keys);
}

void f_Util::TakeArrivedPictures() {
    if (!worker_ || loading_) return;
    for (ArrivedPictures& pictures : worker_->Take()) arriving_.push_back(std::move(pictures));
    // A slice at a time, the section on screen having come first.
    const size_t count = std::min(arriving_.size(), kStorePerSlice);
    std::vector<KeyedImageList::Picture> small, large;
    std::vector<Arrival> arrivals;
    for (size_t i = 0; i < count; ++i) {
        const ArrivedPictures& p = arriving_[i];
        // Made before a DPI change: the lists have other sizes now, and the
        // picture is asked for again rather than stored blank.
        if (p.smallPx != imgSmall.Size() || p.largePx != imlToolbarIcons.Size()) {
            Guard([&] { worker_->Request(p.target, p.key); });
            continue;
        }
        small.push_back({p.key, p.smallPixels ? &*p.smallPixels : nullptr, p.small.get()});
        large.push_back({p.key, p.largePixels ? &*p.largePixels : nullptr, p.large.get()});
        arrivals.push_back({p.key, p.HasLarge(), p.HasSmall()});
        pending_.erase(p.key);
    }
    Guard([&] { imgSmall.ReplaceMany(small); });
    Guard([&] { imlToolbarIcons.ReplaceMany(large); });
    arriving_.erase(arriving_.begin(), arriving_.begin() + static_cast<std::ptrdiff_t>(count));
    if (arriving_.empty()) {
        KillTimer(Handle(), kStoreTimer);
        storing_ = false;
    }
    if (!arrivals.empty() && arrived_) arrived_(arrivals);
}

LRESULT f_Util::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPicturesArrived) {
        if (!storing_ && !loading_) storing_ = SetTimer(Handle(), kStoreTimer, kStoreEveryMs, nullptr) != 0;
        return 0;
    }
    if (message == WM_TIMER && wParam == kStoreTimer) {
        TakeArrivedPictures();
        return 0;
    }
    if (message == WM_TIMER && wParam == kReleaseTimer) {
        ReleasePictures();
        return 0;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

void f_Util::StorePictures(const std::string& key) {
    // A key from an earlier load takes the new picture; a blank one when
    // nothing was found (the button then shows "no" anyway).
    Guard([&] { imgSmall.Replace(key, smallIcon_.get()); });
    Guard([&] { imlToolbarIcons.Replace(key, largeIcon_.get()); });
    Guard([&] { origins_[key] = Origin{Origin::Kind::TargetIcon, extractedFrom_}; });
    largeIcon_.reset();
    smallIcon_.reset();
}

bool f_Util::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void f_Util::AddToSmallList(const std::string& key, const std::string& file) {
    if (imgSmall.Contains(key)) Raise(kErrKeyNotUnique);
    imgSmall.Add(key, LoadPictureFile(file, imgSmall.Size()).get());
    origins_[key] = Origin{Origin::Kind::PictureFile, Widen(file)};
}

void f_Util::AddToLargeList(const std::string& key, const std::string& file) {
    if (imlToolbarIcons.Contains(key)) Raise(kErrKeyNotUnique);
    imlToolbarIcons.Add(key, LoadPictureFile(file, imlToolbarIcons.Size()).get());
    origins_[key] = Origin{Origin::Kind::PictureFile, Widen(file)};
}

}  // namespace lark::win
