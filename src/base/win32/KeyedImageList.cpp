#include "base/win32/KeyedImageList.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/win32/IconBits.h"

namespace lark::win {
namespace {

// A fully transparent picture: an all-zero 32-bit colour image and a mask
// that keeps the background everywhere.
struct BlankPicture {
    UniqueBitmap colour;
    UniqueBitmap mask;

    explicit BlankPicture(int sizePx) {
        BITMAPINFO info = TopDownDib(sizePx, sizePx, 32);
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
    int place = -1;
    if (!free_.empty()) {
        place = free_.back();
        free_.pop_back();
    } else {
        keys_.reserve(keys_.size() + 1);
    }
    const int index = Store(place, icon);
    indices_.emplace(key, index);
    Remember(index, key);
}

void KeyedImageList::Remember(int index, const std::string& key) {
    if (static_cast<size_t>(index) >= keys_.size()) keys_.resize(static_cast<size_t>(index) + 1);
    keys_[static_cast<size_t>(index)] = key;
}

void KeyedImageList::Forget(const std::string& key) {
    auto it = indices_.find(key);
    if (it == indices_.end()) return;
    free_.push_back(it->second);
    keys_[static_cast<size_t>(it->second)].clear();
    indices_.erase(it);
}

void KeyedImageList::Replace(const std::string& key, HICON icon) {
    auto it = indices_.find(key);
    if (it == indices_.end()) {
        Add(key, icon);
        return;
    }
    Store(it->second, icon);
}

void KeyedImageList::ReplaceMany(const std::vector<Picture>& pictures) {
    std::vector<const IconPixels*> batch;
    std::vector<std::string> batchKeys;
    for (const Picture& picture : pictures) {
        const bool pixels = picture.pixels && picture.pixels->Valid() && picture.pixels->sizePx == sizePx_;
        if (pixels && !indices_.count(picture.key) && free_.empty() &&
            std::find(batchKeys.begin(), batchKeys.end(), picture.key) == batchKeys.end()) {
            batch.push_back(picture.pixels);
            batchKeys.push_back(picture.key);
            continue;
        }
        if (pixels) {
            UniqueIcon icon = IconFromPixels(*picture.pixels);
            Replace(picture.key, icon.get());
        } else {
            Replace(picture.key, picture.icon);
        }
    }
    if (batch.empty()) return;
    const int first = Append(batch);
    for (size_t i = 0; i < batchKeys.size(); ++i) {
        indices_[batchKeys[i]] = first + static_cast<int>(i);
        Remember(first + static_cast<int>(i), batchKeys[i]);
    }
}

int KeyedImageList::Append(const std::vector<const IconPixels*>& pictures) {
    const int size = sizePx_;
    const int width = size * static_cast<int>(pictures.size());
    BITMAPINFO info = TopDownDib(width, size, 32);
    void* bits = nullptr;
    UniqueBitmap colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) Raise(kErrOutOfMemory);
    // A monochrome bitmap's rows are padded to two bytes.
    const size_t maskStride = (static_cast<size_t>(width) + 15) / 16 * 2;
    std::vector<uint8_t> maskBits(maskStride * static_cast<size_t>(size), 0);
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t n = 0; n < pictures.size(); ++n) {
        const IconPixels& p = *pictures[n];
        for (int y = 0; y < size; ++y) {
            std::copy_n(p.colour.data() + static_cast<size_t>(y * size), size,
                        out + static_cast<size_t>(y) * static_cast<size_t>(width) + n * static_cast<size_t>(size));
            for (int x = 0; x < size; ++x) {
                if (!(p.mask[static_cast<size_t>(y) * IconPixels::MaskRowBytes(size) + static_cast<size_t>(x / 8)] &
                      (0x80 >> (x % 8))))
                    continue;
                const size_t bit = n * static_cast<size_t>(size) + static_cast<size_t>(x);
                maskBits[static_cast<size_t>(y) * maskStride + bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
            }
        }
    }
    UniqueBitmap mask(CreateBitmap(width, size, 1, 1, maskBits.data()));
    if (!mask) Raise(kErrOutOfMemory);
    const int first = ImageList_Add(list_.get(), colour.get(), mask.get());
    if (first < 0) Raise(kErrOutOfMemory);
    return first;
}

int KeyedImageList::IndexOf(const std::string& key) const {
    auto it = indices_.find(key);
    return it == indices_.end() ? -1 : it->second;
}

void KeyedImageList::Clear() {
    ImageList_RemoveAll(list_.get());
    indices_.clear();
    free_.clear();
    keys_.clear();
}

void KeyedImageList::Resize(int sizePx, const Remake& remake) {
    if (sizePx < 16 || sizePx > 256) Raise(kErrInvalidCall);
    if (sizePx == sizePx_) return;
    // The old pictures, for those that are not made again at once.
    UniqueImageList old(ImageList_Duplicate(list_.get()));
    // Setting the size empties the list; the pictures go back in index order.
    if (!ImageList_SetIconSize(list_.get(), sizePx, sizePx)) Raise(kErrOutOfMemory);
    sizePx_ = sizePx;
    for (size_t index = 0; index < keys_.size(); ++index) {
        const std::string& key = keys_[index];
        UniqueIcon icon;
        // A forgotten place stays blank until a new key takes it.
        if (!key.empty()) Guard([&] { icon = remake(key, sizePx); });
        if (!key.empty() && !icon && old)
            icon.reset(ImageList_GetIcon(old.get(), static_cast<int>(index), ILD_TRANSPARENT));
        Store(-1, icon.get());
    }
}

int KeyedImageList::Store(int index, HICON icon) {
    int stored = -1;
    IconPixels pixels;
    if (icon && index < 0 && PixelsFromIcon(icon, sizePx_, pixels)) {
        // Copied in as pixels where they read back at the list's size: the
        // list drawing an icon costs several times that (under Wine five).
        stored = Append({&pixels});
    } else if (icon) {
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
