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
    // Extraction waits on the disk (or the network): the bar does not.
    Guard([&] { source_.RequestPictures(target, key); });
    return {key, true};
}

std::string ButtonPictures::ShownKey(const std::string& key, bool largeFound, bool smallFound) const {
    return (state_.IconSize == 0 ? largeFound : smallFound) ? key : "no";
}

}  // namespace lark
