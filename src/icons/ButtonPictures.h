#pragma once
// ChooseButtonImage: the picture key of a program button. Web addresses and
// documents take a cached type picture, paths without a type the folder
// picture; anything else shows the target's own first icon when it has one.
#include <cstdint>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/IconSource.h"
#include "base/PictureRule.h"

namespace lark {

class ButtonPictures : public IPictureRule {
public:
    // Reads IconKeys and IconSize.
    ButtonPictures(IIconSource& source, AppState& state) : source_(source), state_(state) {}

    // A target that shows its own icon gets its per-button key at once and
    // its pictures are asked for; until they arrive the button shows none.
    ImageChoice ChooseButtonImage(const std::string& target, int16_t sectionNumber, int16_t buttonNumber) override;

    // The key a button asked for with `key` shows once its pictures have
    // arrived: the key itself when an icon of the bar's size was found,
    // otherwise "no".
    std::string ShownKey(const std::string& key, bool largeFound, bool smallFound) const;

    // The type a target's picture is chosen by: "HTM" for a web address,
    // the text after the last "." upper-cased, or empty.
    static std::string TargetType(const std::string& target);

private:
    IIconSource& source_;
    AppState& state_;
};

}  // namespace lark
