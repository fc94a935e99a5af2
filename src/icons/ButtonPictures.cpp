#include "icons/ButtonPictures.h"

#include "base/RuntimeError.h"
#include "base/Shortcuts.h"
#include "base/Unicode.h"
#include "icons/IconCache.h"

namespace lark {

std::string ButtonPictures::TargetType(const std::string& target) {
    // Any address is a web address: "https:", "ftp:", "mailto:" as "http:".
    if (UrlScheme(target)) return "HTM";
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
    // Extraction waits on the disk (or the network): the bar does not. An
    // address shows the picture of its scheme, the same for every address.
    if (const std::optional<std::string> scheme = UrlScheme(target)) return {SchemeKey(*scheme), true};
    return {TargetKey(target), true};
}

std::string ButtonPictures::SchemeKey(const std::string& scheme) { return "i_" + FoldCase(scheme) + ":"; }

std::string ButtonPictures::ShownKey(const std::string& key, bool largeFound, bool smallFound) const {
    return (state_.IconSize == 0 ? largeFound : smallFound) ? key : "no";
}

void PictureRequests::Request(const BarButton& button) {
    if (!button.extracted) return;
    // A picture that cannot be asked for shows "no" in the end; the bar goes on.
    Guard([&] { source_.RequestPictures(button.target, button.picture); });
}

void PictureRequests::Offer(const BarSection& section, const BarButton& button) {
    if (section.toolbar == shownToolbar_) {
        Request(button);
    } else if (button.extracted) {
        Guard([&] { source_.KeepPictures(button.target); });
    }
}

void PictureRequests::SectionInserted(int32_t, const BarSection& section) {
    for (const BarButton& button : section.buttons) Offer(section, button);
}

void PictureRequests::ButtonInserted(const BarSection& section, size_t position) {
    Offer(section, section.buttons[position]);
}

void PictureRequests::ButtonReplaced(const BarSection& section, const std::string&, size_t position) {
    Offer(section, section.buttons[position]);
}

void PictureRequests::SectionShown(int32_t position, int32_t toolbar) {
    const BarSection* section = model_.SectionAt(position);
    shownToolbar_ = section ? std::optional<int32_t>(toolbar) : std::nullopt;
    // Buttons whose pictures arrived ask for nothing; asked and not yet
    // arrived, the source waits for the one answer.
    if (section)
        for (const BarButton& button : section->buttons) Request(button);
}

}  // namespace lark
