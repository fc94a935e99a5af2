#pragma once
// Icon extraction and the two image lists of button pictures.
#include <cstdint>
#include <string>

namespace lark {

// Icon extraction and the two image lists, as the rule uses them.
class IIconSource {
public:
    virtual ~IIconSource() = default;
    // Handles of the icons found, 0 for none. They stay the source's until
    // StorePictures, which releases them: afterwards they only tell whether
    // an icon was found.
    struct Found {
        uintptr_t large = 0;  // at the large list's size (32 pixels at 96 DPI)
        uintptr_t small = 0;  // at the small list's size (16 pixels at 96 DPI)
    };
    // Takes the first icon of the file in both sizes; nothing found for a
    // file that is missing, a folder, or holds no icons.
    virtual Found ExtractIcons(const std::string& path) = 0;
    // Stores the last extraction's pictures (blank where none was found)
    // under the key in the small and the large list, replacing what an
    // earlier load stored there, and lets the icon handles go.
    virtual void StorePictures(const std::string& key) = 0;
    // Asks for the target's first icon in both sizes under the key without
    // waiting for it: the key shows no picture until the pictures arrive
    // (stored under the key, blank where none was found), and the source
    // then tells its listener which it found.
    virtual void RequestPictures(const std::string& target, const std::string& key) = 0;
    // The target is on the bar, in a section not shown yet: its pictures
    // are not made, but what the picture cache holds of it stays there.
    virtual void KeepPictures(const std::string& /*target*/) {}
};

}  // namespace lark
