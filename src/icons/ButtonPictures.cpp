#include "icons/ButtonPictures.h"

#include "base/RuntimeError.h"
#include "base/Unicode.h"
#include "icons/IconCache.h"

namespace lark {

std::string ButtonPictures::TargetType(const std::string& target) {
    if (UpperCase(target.substr(0, 7)) == "HTTP://") return "HTM";
    const size_t dot = target.rfind('.');
    if (dot == std::string::npos) return {};
    // May hold path separators, as in a dotted folder name: such a type is
    // simply never cached.
    return UpperCase(target.substr(dot + 1));
}

ImageChoice ButtonPictures::ChooseButtonImage(const std::string& target, int16_t sectionNumber,
                                              int16_t buttonNumber) {
    std::string type;
    Guard([&] { type = TargetType(target); });
    if (type.empty()) return {"folder", false};
    if (IsCachedIcon(state_.IconKeys, type)) return {type, false};

    const std::string key = "i_" + std::to_string(sectionNumber) + "_" + std::to_string(buttonNumber);
    state_.PictureKeys.insert(key);
    IIconSource::Found found;
    Guard([&] { found = source_.ExtractIcons(target); });
    state_.LargeIcons.assign(1, found.large);
    state_.SmallIcons.assign(1, found.small);
    Guard([&] { source_.StorePictures(key); });
    const bool present = (state_.IconSize == 0 ? found.large : found.small) != 0;
    return {present ? key : "no", true};
}

}  // namespace lark
