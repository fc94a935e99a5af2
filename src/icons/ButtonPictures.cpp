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

ImageChoice ButtonPictures::ChooseButtonImage(const std::string& target) {
    std::string type;
    Guard([&] { type = TargetType(target); });
    if (type.empty()) return {"folder", false};
    if (IsCachedIcon(state_.IconKeys, type)) return {type, false};
    // Extraction waits on the disk (or the network): the bar does not.
    return {TargetKey(target), true};
}

std::string ButtonPictures::ShownKey(const std::string& key, bool largeFound, bool smallFound) const {
    return (state_.IconSize == 0 ? largeFound : smallFound) ? key : "no";
}

void PictureRequests::Request(const BarButton& button) {
    if (!button.extracted) return;
    // A picture that cannot be asked for shows "no" in the end; the bar goes on.
    Guard([&] { source_.RequestPictures(button.target, button.picture); });
}

void PictureRequests::SectionInserted(int32_t, const BarSection& section) {
    for (const BarButton& button : section.buttons) Request(button);
}

void PictureRequests::ButtonInserted(const BarSection& section, size_t position) {
    Request(section.buttons[position]);
}

void PictureRequests::ButtonReplaced(const BarSection& section, const std::string&, size_t position) {
    Request(section.buttons[position]);
}

}  // namespace lark
