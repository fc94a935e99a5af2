#pragma once
// An image list whose pictures are addressed by string keys, as the button
// pictures of the bar are ("no", "folder", "EXE", "i_2_7", ...). Keys are
// exact and case-sensitive.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/win32/Handles.h"

namespace lark::win {

class KeyedImageList {
public:
    // Square pictures of this many pixels (16 to 256), 32-bit colour with alpha.
    explicit KeyedImageList(int sizePx);
    KeyedImageList(const KeyedImageList&) = delete;
    KeyedImageList& operator=(const KeyedImageList&) = delete;

    // Copies the icon in, scaled to the list's size; the caller keeps its
    // icon. A null icon stores a blank picture. Raises 35602 when the key
    // is taken.
    void Add(const std::string& key, HICON icon);
    // Puts the icon under the key, in place when the key exists.
    void Replace(const std::string& key, HICON icon);
    // Index of the key's picture in Handle(), or -1.
    int IndexOf(const std::string& key) const;
    bool Contains(const std::string& key) const { return IndexOf(key) >= 0; }
    void Clear();

    // Makes every picture again at another size, in place: the handle, the
    // keys and their indices stay, so bound toolbars keep their pictures
    // once they are told of the new size. remake gives a key's picture at
    // the new size (null for a blank one).
    using Remake = std::function<UniqueIcon(const std::string& key, int sizePx)>;
    void Resize(int sizePx, const Remake& remake);

    HIMAGELIST Handle() const { return list_.get(); }
    // Edge length of the pictures in pixels.
    int Size() const { return sizePx_; }
    int Count() const { return static_cast<int>(indices_.size()); }

private:
    // Stores the picture at index, or appends it when index is -1; returns
    // its index.
    int Store(int index, HICON icon);

    int sizePx_;
    UniqueImageList list_;
    std::unordered_map<std::string, int> indices_;
    std::vector<std::string> keys_;  // by index
};

}  // namespace lark::win
