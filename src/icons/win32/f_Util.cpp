#include "icons/win32/f_Util.h"

#include <shellapi.h>

#include "base/RuntimeError.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

UniqueIcon ResourceIcon(const wchar_t* name, int sizePx) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, sizePx, sizePx, LR_DEFAULTCOLOR)));
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
    CreateFormWindow(WindowSpec{L"LarkspanUtil", WS_POPUP, WS_EX_TOOLWINDOW, L"Larkspan utility", RECT{0, 0, 0, 0}});
    static const struct {
        const char* key;
        const wchar_t* resource;
    } pictures[] = {{"addsection", L"ADDSECTION"}, {"delsection", L"DELSECTION"}, {"addbutton", L"ADDBUTTON"},
                    {"delbutton", L"DELBUTTON"},   {"about", L"ABOUT"},           {"options", L"OPTIONS"},
                    {"exit", L"EXIT"},           {"rename", L"RENAME"},         {"properties", L"PROPERTIES"},
                    {"openlocation", L"OPENLOCATION"}, {"runas", L"RUNAS"},    {"renamesection", L"RENAMESECTION"}};
    for (const auto& picture : pictures) imgMenu.Add(picture.key, ResourceIcon(picture.resource, 16).get());
}

int32_t f_Util::IndexOf(const std::string& key) {
    const int index = imgMenu.IndexOf(key);
    if (index < 0) Raise(kErrInvalidCall);
    return index;
}

void f_Util::InitImageLists(std::vector<std::string>& iconKeys, const std::string& programFolder,
                            IFileSystem& files, IAnsiCodePage& codePage) {
    for (KeyedImageList* list : {&imgSmall, &imlToolbarIcons}) {
        list->Clear();
        list->Add("no", ResourceIcon(L"NA", list->Size()).get());
        list->Add("folder", ResourceIcon(L"FOLDER", list->Size()).get());
        // Database documents added through the menu show this one.
        list->Add("mdb", ResourceIcon(L"MDB", list->Size()).get());
    }
    LoadIconCache(iconKeys, programFolder, files, codePage, *this);
}

IIconSource::Found f_Util::ExtractIcons(const std::string& path) {
    largeIcon_.reset();
    smallIcon_.reset();
    const std::wstring file = Widen(path);
    // The first icon at each size on its own: a combined request may hand
    // back the large frame shrunk where the file has a small one.
    auto first = [&](int sizePx) {
        HICON icon = nullptr;
        UINT id = 0;
        const UINT extracted = PrivateExtractIconsW(file.c_str(), 0, sizePx, sizePx, &icon, &id, 1, 0);
        // On failure the output may hold garbage: trust it only on success.
        return UniqueIcon(extracted == 1 && extracted != UINT_MAX ? icon : nullptr);
    };
    largeIcon_ = first(32);
    smallIcon_ = first(16);
    return {reinterpret_cast<uintptr_t>(largeIcon_.get()), reinterpret_cast<uintptr_t>(smallIcon_.get())};
}

void f_Util::StorePictures(const std::string& key) {
    // A key from an earlier load takes the new picture; a blank one when
    // nothing was found (the button then shows "no" anyway).
    Guard([&] { imgSmall.Replace(key, smallIcon_.get()); });
    Guard([&] { imlToolbarIcons.Replace(key, largeIcon_.get()); });
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
}

void f_Util::AddToLargeList(const std::string& key, const std::string& file) {
    if (imlToolbarIcons.Contains(key)) Raise(kErrKeyNotUnique);
    imlToolbarIcons.Add(key, LoadPictureFile(file, imlToolbarIcons.Size()).get());
}

}  // namespace lark::win
