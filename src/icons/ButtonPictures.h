#pragma once
// ChooseButtonImage: the picture key of a program button. Web addresses and
// documents take a cached type picture, paths without a type the folder
// picture; anything else shows the target's own first icon when it has one.
#include <cstdint>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "icons/PictureRule.h"

namespace lark {

// Icon extraction and the two image lists, as the rule uses them.
class IIconSource {
public:
    virtual ~IIconSource() = default;
    // Handles of the icons found, 0 for none. They stay the source's until
    // StorePictures, which releases them: afterwards they only tell whether
    // an icon was found.
    struct Found {
        uintptr_t large = 0;  // 32 x 32
        uintptr_t small = 0;  // 16 x 16
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
    // Reads IconKeys and IconSize, records the last extraction in
    // LargeIcons and SmallIcons (element 0).
    ButtonPictures(IIconSource& source, AppState& state) : source_(source), state_(state) {}

    ImageChoice ChooseButtonImage(const std::string& target, int16_t sectionNumber, int16_t buttonNumber) override;

    // The type a target's picture is chosen by: "HTM" for a web address,
    // the text after the last "." upper-cased, or empty.
    static std::string TargetType(const std::string& target);

private:
    IIconSource& source_;
    AppState& state_;
};

}  // namespace lark
