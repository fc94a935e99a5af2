#pragma once
// The picture cache: pictures for file types (or any names) listed in the
// section "Files" of settings.ini beside the program, loaded once at
// start-up into both image lists.
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/TextFile.h"

namespace lark {

// The image lists and the picture files, as the cache needs them.
class ICachePictures {
public:
    virtual ~ICachePictures() = default;
    virtual bool FileExists(const std::string& path) = 0;
    // Loads the picture file into one list under the key; raises when the
    // file is no picture or the key is taken.
    virtual void AddToSmallList(const std::string& key, const std::string& file) = 0;
    virtual void AddToLargeList(const std::string& key, const std::string& file) = 0;
};

// Fills iconKeys (element 0 empty, then the loaded keys in file order).
// settings.ini may be ANSI, UTF-8 or UTF-16LE, as the catalogue. Nothing is
// ever reported: a line that cannot be used is skipped.
void LoadIconCache(std::vector<std::string>& iconKeys, const std::string& programFolder, IFileSystem& files,
                   IAnsiCodePage& codePage, ICachePictures& pictures);

// True when the key (already upper-cased) is one of the loaded keys.
bool IsCachedIcon(const std::vector<std::string>& iconKeys, const std::string& key);

}  // namespace lark
