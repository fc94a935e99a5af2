#pragma once
// The hidden utility window: home of the two keyed image lists every bar
// button draws its picture from, and of the icon extraction that fills them.
#include <string>
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

    // The first icon of a file in both sizes; the handles are kept until
    // their pictures are stored.
    Found ExtractIcons(const std::string& path) override;
    void StorePictures(const std::string& key) override;

    // IMenuImages: the menu pictures of imgMenu.
    int32_t IndexOf(const std::string& key) override;

    KeyedImageList imgSmall{16};
    KeyedImageList imlToolbarIcons{32};
    KeyedImageList imgMenu{16};

private:
    bool FileExists(const std::string& path) override;
    void AddToSmallList(const std::string& key, const std::string& file) override;
    void AddToLargeList(const std::string& key, const std::string& file) override;

    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
};

// An icon of the given size from a picture file (icon, cursor or bitmap);
// raises 481 (invalid picture) when the file holds none.
UniqueIcon LoadPictureFile(const std::string& file, int sizePx);

}  // namespace lark::win
