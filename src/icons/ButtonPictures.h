#pragma once
// ChooseButtonImage: the picture key of a program button. Web addresses and
// documents take a cached type picture, paths without a type the folder
// picture; anything else shows the target's own first icon when it has one.
#include <cstdint>
#include <string>
#include <vector>

#include "icons/PictureRule.h"

namespace lark {

// Icon extraction and the two image lists, as the rule uses them.
class IIconSource {
public:
    virtual ~IIconSource() = default;
    struct Found {
        bool large = false;  // a 32 x 32 icon was found
        bool small = false;  // a 16 x 16 icon was found
    };
    // Takes the first icon of the file in both sizes; nothing found for a
    // file that is missing, a folder, or holds no icons.
    virtual Found ExtractIcons(const std::string& path) = 0;
    // Stores the last extraction's pictures (blank where none was found)
    // under the key in the small and the large list, replacing what an
    // earlier load stored there, and lets the icon handles go.
    virtual void StorePictures(const std::string& key) = 0;
};

class ButtonPictures : public IPictureRule {
public:
    ButtonPictures(IIconSource& source, const std::vector<std::string>& iconKeys, const int32_t& iconSize)
        : source_(source), iconKeys_(iconKeys), iconSize_(iconSize) {}

    ImageChoice ChooseButtonImage(const std::string& target, int16_t sectionNumber, int16_t buttonNumber) override;

    // The type a target's picture is chosen by: "HTM" for a web address,
    // the text after the last "." upper-cased, or empty.
    static std::string TargetType(const std::string& target);

private:
    IIconSource& source_;
    const std::vector<std::string>& iconKeys_;
    const int32_t& iconSize_;
};

}  // namespace lark
