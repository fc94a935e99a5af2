#pragma once
// ChooseButtonImage: the picture key of a program button, whatever its
// arguments. Addresses of any scheme and documents take a cached type
// picture, paths without a type the folder picture; an address otherwise
// shows the picture Windows gives its scheme, an internet shortcut the
// picture it names (both the program's web picture where there is none),
// anything else the target's own first icon when it has one, all asked for
// by the bar's PictureRequests once the button is on the bar.
#include <optional>
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

    // The type a target's picture is chosen by: "HTM" for an address, the
    // text after the last "." upper-cased, or empty.
    static std::string TargetType(const std::string& target);
    // The key of a target's own icons.
    static std::string TargetKey(const std::string& target) { return "i_" + target; }
    // The key of the picture of an address's scheme: that of the bare
    // scheme as a target ("i_https:").
    static std::string SchemeKey(const std::string& scheme);

private:
    AppState& state_;
};

// The bar's buttons ask for their pictures as their section is first
// shown: a view of the bar's model that hands every button of the section
// on screen whose picture is its target's own to the icon source, and
// those of the other sections only as targets whose cached pictures stay.
class PictureRequests : public IBarView {
public:
    PictureRequests(IIconSource& source, const BarModel& model) : source_(source), model_(model) {}

    void Cleared() override { shownToolbar_.reset(); }
    void SectionInserted(int32_t position, const BarSection& section) override;
    void SectionRemoved(int32_t, const BarSection&) override {}
    void SectionRenamed(int32_t, const BarSection&) override {}
    void SectionMoved(int32_t, int32_t, const BarSection&) override {}
    void ButtonInserted(const BarSection& section, size_t position) override;
    void ButtonRemoved(const BarSection&, const BarButton&) override {}
    void ButtonMoved(const BarSection&, const std::string&, size_t) override {}
    void ButtonReplaced(const BarSection& section, const std::string& oldKey, size_t position) override;
    void SectionShown(int32_t position, int32_t toolbar) override;
    void PicturesResolved(const std::map<std::string, std::string>&) override {}
    void ImageSizeChosen(ImageListSize) override {}

private:
    void Offer(const BarSection& section, const BarButton& button);
    void Request(const BarButton& button);

    IIconSource& source_;
    const BarModel& model_;
    std::optional<int32_t> shownToolbar_;
};

}  // namespace lark
