#include "icons/win32/f_Util.h"

#include <shellapi.h>

#include "base/RuntimeError.h"
#include "base/win32/Dpi.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

UniqueIcon ResourceIcon(const wchar_t* name, int sizePx) {
    return LoadIconAtSize(GetModuleHandleW(nullptr), name, sizePx);
}

// The first icon of a file at one size: a combined request may hand back
// the large frame shrunk where the file has a small one.
UniqueIcon FirstIcon(const std::wstring& file, int sizePx) {
    HICON icon = nullptr;
    UINT id = 0;
    const UINT extracted = PrivateExtractIconsW(file.c_str(), 0, sizePx, sizePx, &icon, &id, 1, 0);
    // On failure the output may hold garbage: trust it only on success.
    return UniqueIcon(extracted == 1 && extracted != UINT_MAX ? icon : nullptr);
}

struct MenuPicture {
    const char* key;
    const wchar_t* resource;
};
constexpr MenuPicture kMenuPictures[] = {{"addsection", L"ADDSECTION"}, {"delsection", L"DELSECTION"},
                                         {"addbutton", L"ADDBUTTON"},   {"delbutton", L"DELBUTTON"},
                                         {"about", L"ABOUT"},           {"options", L"OPTIONS"},
                                         {"exit", L"EXIT"}};

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
    CreateFormWindow(WindowSpec{L"LarkspanUtil", WS_POPUP, WS_EX_TOOLWINDOW, L"Larkspan utility", RECT{0, 0, 0, 0}});
    for (const MenuPicture& picture : kMenuPictures)
        imgMenu.Add(picture.key, ResourceIcon(picture.resource, imgMenu.Size()).get());
}

const KeyedImageList& f_Util::MenuImages(int sizePx) {
    imgMenu.Resize(sizePx, [](const std::string& key, int size) {
        for (const MenuPicture& picture : kMenuPictures)
            if (key == picture.key) return ResourceIcon(picture.resource, size);
        return UniqueIcon();
    });
    return imgMenu;
}

bool f_Util::UsePictureSizes(int smallPx, int largePx) {
    if (imgSmall.Size() == smallPx && imlToolbarIcons.Size() == largePx) return false;
    auto remake = [this](const std::string& key, int size) { return Remake(key, size); };
    imgSmall.Resize(smallPx, remake);
    imlToolbarIcons.Resize(largePx, remake);
    return true;
}

UniqueIcon f_Util::Remake(const std::string& key, int sizePx) const {
    auto it = origins_.find(key);
    if (it == origins_.end()) return UniqueIcon();
    const Origin& origin = it->second;
    switch (origin.kind) {
        case Origin::Kind::Resource: return ResourceIcon(origin.source.c_str(), sizePx);
        case Origin::Kind::TargetIcon: return FirstIcon(origin.source, sizePx);
        case Origin::Kind::PictureFile: return LoadPictureFile(Narrow(origin.source), sizePx);
    }
    return UniqueIcon();
}

int32_t f_Util::IndexOf(const std::string& key) {
    const int index = imgMenu.IndexOf(key);
    if (index < 0) Raise(kErrInvalidCall);
    return index;
}

void f_Util::InitImageLists(std::vector<std::string>& iconKeys, const std::string& programFolder,
                            IFileSystem& files, IAnsiCodePage& codePage) {
    origins_.clear();
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
    largeIcon_ = FirstIcon(extractedFrom_, imlToolbarIcons.Size());
    smallIcon_ = FirstIcon(extractedFrom_, imgSmall.Size());
    return {reinterpret_cast<uintptr_t>(largeIcon_.get()), reinterpret_cast<uintptr_t>(smallIcon_.get())};
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
