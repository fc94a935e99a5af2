#include "base/win32/KeyedImageList.h"

#include "base/RuntimeError.h"

namespace lark::win {
namespace {

// A fully transparent picture: an all-zero 32-bit colour image and a mask
// that keeps the background everywhere.
struct BlankPicture {
    UniqueBitmap colour;
    UniqueBitmap mask;

    explicit BlankPicture(int sizePx) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = sizePx;
        info.bmiHeader.biHeight = -sizePx;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        colour.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        mask.reset(CreateBitmap(sizePx, sizePx, 1, 1, nullptr));
        if (!colour || !mask) Raise(kErrOutOfMemory);
        // CreateDIBSection zero-fills; the mask must be all ones.
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        if (!dc) Raise(kErrOutOfMemory);
        SelectGuard select(dc.get(), mask.get());
        PatBlt(dc.get(), 0, 0, sizePx, sizePx, WHITENESS);
    }
};

}  // namespace

KeyedImageList::KeyedImageList(int sizePx) : sizePx_(sizePx) {
    if (sizePx < 16 || sizePx > 256) Raise(kErrInvalidCall);
    // Grows in large steps: a catalogue with thousands of program icons
    // would otherwise copy the whole list over and over as it grows.
    list_.reset(ImageList_Create(sizePx, sizePx, ILC_COLOR32 | ILC_MASK, 0, 256));
    if (!list_) Raise(kErrOutOfMemory);
}

void KeyedImageList::Add(const std::string& key, HICON icon) {
    if (indices_.count(key) != 0) Raise(kErrKeyNotUnique);
    keys_.reserve(keys_.size() + 1);
    const int index = Store(-1, icon);
    indices_.emplace(key, index);
    keys_.push_back(key);
}

void KeyedImageList::Replace(const std::string& key, HICON icon) {
    auto it = indices_.find(key);
    if (it == indices_.end()) {
        Add(key, icon);
        return;
    }
    Store(it->second, icon);
}

int KeyedImageList::IndexOf(const std::string& key) const {
    auto it = indices_.find(key);
    return it == indices_.end() ? -1 : it->second;
}

void KeyedImageList::Clear() {
    ImageList_RemoveAll(list_.get());
    indices_.clear();
    keys_.clear();
}

void KeyedImageList::Resize(int sizePx, const Remake& remake) {
    if (sizePx < 16 || sizePx > 256) Raise(kErrInvalidCall);
    if (sizePx == sizePx_) return;
    // Setting the size empties the list; the pictures go back in index order.
    if (!ImageList_SetIconSize(list_.get(), sizePx, sizePx)) Raise(kErrOutOfMemory);
    sizePx_ = sizePx;
    for (const std::string& key : keys_) {
        UniqueIcon icon;
        Guard([&] { icon = remake(key, sizePx); });
        Store(-1, icon.get());
    }
}

int KeyedImageList::Store(int index, HICON icon) {
    int stored = -1;
    if (icon) {
        // The list draws a copy of the icon at its own size.
        stored = ImageList_ReplaceIcon(list_.get(), index, icon);
    } else {
        BlankPicture blank(sizePx_);
        if (index < 0) {
            stored = ImageList_Add(list_.get(), blank.colour.get(), blank.mask.get());
        } else if (ImageList_Replace(list_.get(), index, blank.colour.get(), blank.mask.get())) {
            stored = index;
        }
    }
    if (stored < 0) Raise(kErrInvalidCall);
    return stored;
}

}  // namespace lark::win
