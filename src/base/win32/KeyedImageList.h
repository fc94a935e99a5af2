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

#include "base/IconPixels.h"
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

    // Many pictures at once, each as pixels of the list's size or else as
    // an icon (neither: a blank picture). New keys go in one batch: one
    // picture at a time costs the list a copy of the icon each.
    struct Picture {
        std::string key;
        const IconPixels* pixels = nullptr;
        HICON icon = nullptr;
    };
    void ReplaceMany(const std::vector<Picture>& pictures);
    // Index of the key's picture in Handle(), or -1.
    int IndexOf(const std::string& key) const;
    bool Contains(const std::string& key) const { return IndexOf(key) >= 0; }
    void Clear();
    // The key shows no picture until it is stored again; its place in the
    // list is taken by the next picture added.
    void Forget(const std::string& key);

    // Makes every picture again at another size, in place: the handle, the
    // keys and their indices stay, so bound toolbars keep their pictures
    // once they are told of the new size. remake gives a key's picture at
    // the new size; where it gives none, the old picture is scaled.
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
    // Appends these pictures (pixels of the list's size) in one go; returns
    // the index of the first.
    int Append(const std::vector<const IconPixels*>& pictures);

    int sizePx_;
    UniqueImageList list_;
    std::unordered_map<std::string, int> indices_;
    std::vector<int> free_;          // places of forgotten keys
    std::vector<std::string> keys_;  // by index; empty at a forgotten place

    void Remember(int index, const std::string& key);
};

}  // namespace lark::win
