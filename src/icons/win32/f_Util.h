#pragma once
// The hidden utility window: home of the two keyed image lists every bar
// button draws its picture from, and of the icon extraction that fills them.
#include <string>
#include <unordered_map>
#include <vector>

#include "base/FileSystem.h"
#include "base/MenuImages.h"
#include "base/TextFile.h"
#include "base/win32/Form.h"
#include "base/win32/Handles.h"
#include "base/win32/KeyedImageList.h"
#include "icons/ButtonPictures.h"
#include "icons/IconCache.h"

namespace lark::win {

class f_Util : public Form, public IIconSource, public IMenuImages, private ICachePictures {
public:
    explicit f_Util(FormRegistry& registry) : Form(registry) {}

    void Load();

    // Both lists emptied, the fallback pictures "no" and "folder" added,
    // then the picture cache of settings.ini loaded into iconKeys.
    void InitImageLists(std::vector<std::string>& iconKeys, const std::string& programFolder, IFileSystem& files,
                        IAnsiCodePage& codePage);

    // The first icon of a file at the sizes of both lists; the handles are
    // kept until their pictures are stored.
    Found ExtractIcons(const std::string& path) override;
    void StorePictures(const std::string& key) override;

    // Every button picture made again at these sizes (a DPI change), each
    // from where it came: a resource, a target's icon or a picture file.
    // False when the lists have these sizes already.
    bool UsePictureSizes(int smallPx, int largePx);
    // The menu's pictures at an edge length.
    const KeyedImageList& MenuImages(int sizePx);

    // IMenuImages: the menu pictures of imgMenu.
    int32_t IndexOf(const std::string& key) override;

    // Sized for 96 DPI until the program asks for another size.
    KeyedImageList imgSmall{16};
    KeyedImageList imlToolbarIcons{32};
    KeyedImageList imgMenu{16};

private:
    bool FileExists(const std::string& path) override;
    void AddToSmallList(const std::string& key, const std::string& file) override;
    void AddToLargeList(const std::string& key, const std::string& file) override;

    // Where a picture came from, to make it again at another size.
    struct Origin {
        enum class Kind { Resource, TargetIcon, PictureFile } kind;
        std::wstring source;
    };
    UniqueIcon Remake(const std::string& key, int sizePx) const;

    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
    std::wstring extractedFrom_;
    std::unordered_map<std::string, Origin> origins_;
};

// An icon of the given size from a picture file (icon, cursor or bitmap);
// raises 481 (invalid picture) when the file holds none.
UniqueIcon LoadPictureFile(const std::string& file, int sizePx);

}  // namespace lark::win
