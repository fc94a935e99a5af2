#pragma once
// The bar's content as data: its sections in tab order, each with its
// program buttons, and the section shown. The loader builds it from the
// catalogue, commands change it, and each bar window is a view that hears
// every change as it happens - the model, never a window, is what the bar
// holds.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/BarWindow.h"

namespace lark {

struct BarButton {
    std::string key;  // the name and the section's toolbar index, as the loader keys it
    std::string name;  // the entry's name, the button's tooltip
    std::string target;
    std::string arguments;
    std::string picture;     // the key of its picture in the image lists
    bool extracted = false;  // the picture is the target's own, asked for from the icon source

    ButtonTag Tag() const { return ButtonTag{target, arguments}; }
};

struct BarSection {
    std::string name;
    int32_t toolbar = 0;  // the element of every view's toolbar array that shows it
    std::vector<BarButton> buttons;

    // The index of the button with the key, nullopt when none has it.
    std::optional<size_t> IndexOf(const std::string& key) const;
};

// A button's key: its name and the toolbar index of its section.
std::string ButtonKeyOf(const std::string& name, int32_t toolbar);

// What a view hears of the model. Tab positions count from 1; positions of
// buttons from 0. Each call comes after the model has changed.
class IBarView {
public:
    virtual ~IBarView() = default;
    virtual void Cleared() = 0;
    // With its buttons.
    virtual void SectionInserted(int32_t position, const BarSection& section) = 0;
    virtual void SectionRemoved(int32_t position, const BarSection& section) = 0;
    virtual void SectionRenamed(int32_t position, const BarSection& section) = 0;
    virtual void SectionMoved(int32_t from, int32_t to, const BarSection& section) = 0;
    virtual void ButtonInserted(const BarSection& section, size_t position) = 0;
    virtual void ButtonRemoved(const BarSection& section, const BarButton& button) = 0;
    virtual void ButtonMoved(const BarSection& section, const std::string& key, size_t position) = 0;
    // The button at a position took another name, target or picture; its
    // key was oldKey.
    virtual void ButtonReplaced(const BarSection& section, const std::string& oldKey, size_t position) = 0;
    // 0: no section; the view shows its blank element 0.
    virtual void SectionShown(int32_t position, int32_t toolbar) = 0;
    // Buttons whose picture key `shown` maps now show the mapped picture.
    virtual void PicturesResolved(const std::map<std::string, std::string>& shown) = 0;
    virtual void ImageSizeChosen(ImageListSize size) = 0;
};

class BarModel {
public:
    BarModel() = default;
    // A model is one bar's content; its views are not copied with it.
    BarModel(const BarModel& other);
    BarModel& operator=(const BarModel&) = delete;

    const std::vector<BarSection>& Sections() const { return sections_; }
    int32_t SectionCount() const { return static_cast<int32_t>(sections_.size()); }
    // The tab position of the section a toolbar shows, 0 for none.
    int32_t PositionOf(int32_t toolbar) const;
    // Null when there is none.
    const BarSection* SectionAt(int32_t position) const;
    const BarSection* Section(int32_t toolbar) const;
    const BarButton* Button(int32_t toolbar, const std::string& key) const;
    // These raise 340 for a toolbar no section uses, 35601 for a missing key.
    const BarSection& MustSection(int32_t toolbar) const;
    const BarButton& MustButton(int32_t toolbar, const std::string& key) const;
    // The tab position shown, 0 for none.
    int32_t Shown() const { return shown_; }
    const BarSection* ShownSection() const { return SectionAt(shown_); }
    std::optional<ImageListSize> ImageSize() const { return imageSize_; }
    // A toolbar index for a new section: 0 for the first, else the lowest
    // from 1 that no section uses.
    int32_t FreeToolbar() const;

    // Changes. Each reaches every view before it returns; a view's failure
    // raises through them, after the model has changed.
    // Empties the model; the image size stays.
    void Clear();
    // Raises 360 when a section uses the toolbar already, 35600 for a
    // position beyond the end (count + 1 appends).
    void InsertSection(int32_t position, BarSection section);
    void AddSection(const std::string& name, int32_t toolbar);
    // These raise 35600 for a position that has no section.
    void RemoveSection(int32_t position);
    void RenameSection(int32_t position, const std::string& name);
    void MoveSection(int32_t from, int32_t to);
    // Raises 35602 when the section holds the key, 340 for a missing
    // section; past the end means at the end.
    void InsertButton(int32_t toolbar, size_t position, BarButton button);
    void AddButton(int32_t toolbar, BarButton button);
    // These raise 35601 for a missing key.
    void RemoveButton(int32_t toolbar, const std::string& key);
    void MoveButton(int32_t toolbar, const std::string& key, size_t position);
    // Raises 35602 when the new key belongs to another button.
    void ReplaceButton(int32_t toolbar, const std::string& key, BarButton button);
    // A position outside the tabs shows none. Views asking while they hear
    // a change are not heard: the model tells them what shows after it.
    void ShowSection(int32_t position);
    void ResolvePictures(const std::map<std::string, std::string>& shown);
    void ChooseImageSize(ImageListSize size);

    // Makes this model hold what `fresh` holds by the fewest changes:
    // sections and buttons are matched by name (a section or button in the
    // same place with another name and the same content is a rename), so
    // unchanged buttons keep their pictures and toolbars, and the section
    // shown stays shown while it is there.
    void Take(const BarModel& fresh);

    // A view hears the whole model at once, then every change.
    void Attach(IBarView& view);
    void Detach(IBarView& view);

private:
    // Where each toolbar's section is, and each key's button in it: a load
    // of tens of thousands of entries must not look for each one in turn.
    struct Index {
        std::unordered_map<int32_t, size_t> sections;
        std::unordered_map<int32_t, std::unordered_map<std::string, size_t>> buttons;
    };
    void Reindex();
    void ReindexButtons(const BarSection& section);
    std::optional<size_t> ButtonIndex(const BarSection& section, const std::string& key) const;
    BarSection& Mutable(int32_t toolbar);
    template <class Call>
    void Notify(Call&& call);
    void Show(int32_t position);
    void TakeButtons(int32_t toolbar, const BarSection& fresh);

    std::vector<BarSection> sections_;
    int32_t shown_ = 0;
    std::optional<ImageListSize> imageSize_;
    Index index_;
    std::vector<IBarView*> views_;
    int notifying_ = 0;
};

}  // namespace lark
