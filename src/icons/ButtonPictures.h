#pragma once
// ChooseButtonImage: the picture key of a program button. Web addresses and
// documents take a cached type picture, paths without a type the folder
// picture; anything else shows the target's own first icon when it has one,
// asked for by the bar's PictureRequests once the button is on the bar.
#include <string>

#include "base/AppState.h"
#include "base/BarModel.h"
#include "base/IconSource.h"
#include "base/PictureRule.h"

namespace lark {

class ButtonPictures : public IPictureRule {
public:
    // Reads IconKeys and IconSize.
    explicit ButtonPictures(AppState& state) : state_(state) {}

    // A target that shows its own icon gets the key of that target: the
    // same for every button that opens it, whatever its place, so a line
    // added above leaves every other button's picture as it is.
    ImageChoice ChooseButtonImage(const std::string& target) override;
    std::string OwnPictureKey(const std::string& target) override { return TargetKey(target); }

    // The key a button asked for with `key` shows once its pictures have
    // arrived: the key itself when an icon of the bar's size was found,
    // otherwise "no".
    std::string ShownKey(const std::string& key, bool largeFound, bool smallFound) const;

    // The type a target's picture is chosen by: "HTM" for a web address,
    // the text after the last "." upper-cased, or empty.
    static std::string TargetType(const std::string& target);
    // The key of a target's own icons.
    static std::string TargetKey(const std::string& target) { return "i_" + target; }

private:
    AppState& state_;
};

// The bar's buttons ask for their pictures as they come onto it: a view of
// the bar's model that hands every button whose picture is its target's
// own to the icon source.
class PictureRequests : public IBarView {
public:
    explicit PictureRequests(IIconSource& source) : source_(source) {}

    void Cleared() override {}
    void SectionInserted(int32_t position, const BarSection& section) override;
    void SectionRemoved(int32_t, const BarSection&) override {}
    void SectionRenamed(int32_t, const BarSection&) override {}
    void SectionMoved(int32_t, int32_t, const BarSection&) override {}
    void ButtonInserted(const BarSection& section, size_t position) override;
    void ButtonRemoved(const BarSection&, const BarButton&) override {}
    void ButtonMoved(const BarSection&, const std::string&, size_t) override {}
    void ButtonReplaced(const BarSection& section, const std::string& oldKey, size_t position) override;
    void SectionShown(int32_t, int32_t) override {}
    void PicturesResolved(const std::map<std::string, std::string>&) override {}
    void ImageSizeChosen(ImageListSize) override {}

private:
    void Request(const BarButton& button);

    IIconSource& source_;
};

}  // namespace lark
