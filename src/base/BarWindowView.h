#pragma once
// A bar window as a view of the model: each change of the bar's content
// becomes the calls on its tab strip and toolbar array that show it.
#include "base/BarModel.h"
#include "base/BarWindow.h"

namespace lark {

class BarWindowView : public IBarView {
public:
    explicit BarWindowView(IBarWindow& window) : window_(window) {}

    void Cleared() override;
    void SectionInserted(int32_t position, const BarSection& section) override;
    void SectionRemoved(int32_t position, const BarSection& section) override;
    void SectionRenamed(int32_t position, const BarSection& section) override;
    void SectionMoved(int32_t from, int32_t to, const BarSection& section) override;
    void ButtonInserted(const BarSection& section, size_t position) override;
    void ButtonRemoved(const BarSection& section, const BarButton& button) override;
    void ButtonMoved(const BarSection& section, const std::string& key, size_t position) override;
    void ButtonReplaced(const BarSection& section, const std::string& oldKey, size_t position) override;
    void SectionShown(int32_t position, int32_t toolbar) override;
    void PicturesResolved(const std::map<std::string, std::string>& shown) override;
    void ImageSizeChosen(ImageListSize size) override;

private:
    void PlaceButton(const BarSection& section, size_t position);

    IBarWindow& window_;
    std::optional<ImageListSize> size_;
};

}  // namespace lark
