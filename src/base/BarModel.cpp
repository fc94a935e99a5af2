#include "base/BarModel.h"

#include <algorithm>

#include "base/RuntimeError.h"

namespace lark {

std::optional<size_t> BarSection::IndexOf(const std::string& key) const {
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].key == key) return i;
    return std::nullopt;
}

std::string ButtonKeyOf(const std::string& name, int32_t toolbar) { return name + std::to_string(toolbar); }

BarModel::BarModel(const BarModel& other)
    : sections_(other.sections_), shown_(other.shown_), imageSize_(other.imageSize_), index_(other.index_) {}

void BarModel::Reindex() {
    index_ = Index{};
    for (size_t i = 0; i < sections_.size(); ++i) {
        index_.sections[sections_[i].toolbar] = i;
        ReindexButtons(sections_[i]);
    }
}

void BarModel::ReindexButtons(const BarSection& section) {
    std::unordered_map<std::string, size_t>& keys = index_.buttons[section.toolbar];
    keys.clear();
    for (size_t i = 0; i < section.buttons.size(); ++i) keys[section.buttons[i].key] = i;
}

std::optional<size_t> BarModel::ButtonIndex(const BarSection& section, const std::string& key) const {
    auto keys = index_.buttons.find(section.toolbar);
    if (keys == index_.buttons.end()) return std::nullopt;
    auto it = keys->second.find(key);
    if (it == keys->second.end()) return std::nullopt;
    return it->second;
}

int32_t BarModel::PositionOf(int32_t toolbar) const {
    auto it = index_.sections.find(toolbar);
    return it == index_.sections.end() ? 0 : static_cast<int32_t>(it->second + 1);
}

const BarSection* BarModel::SectionAt(int32_t position) const {
    if (position < 1 || position > SectionCount()) return nullptr;
    return &sections_[static_cast<size_t>(position - 1)];
}

const BarSection* BarModel::Section(int32_t toolbar) const { return SectionAt(PositionOf(toolbar)); }

const BarButton* BarModel::Button(int32_t toolbar, const std::string& key) const {
    const BarSection* section = Section(toolbar);
    if (!section) return nullptr;
    const std::optional<size_t> index = ButtonIndex(*section, key);
    return index ? &section->buttons[*index] : nullptr;
}

const BarSection& BarModel::MustSection(int32_t toolbar) const {
    const BarSection* section = Section(toolbar);
    if (!section) Raise(kErrNoSuchControl);
    return *section;
}

const BarButton& BarModel::MustButton(int32_t toolbar, const std::string& key) const {
    const BarButton* button = Button(toolbar, key);
    if (!button) {
        MustSection(toolbar);
        Raise(kErrElementNotFound);
    }
    return *button;
}

int32_t BarModel::FreeToolbar() const {
    if (sections_.empty()) return 0;
    int32_t toolbar = 1;
    while (PositionOf(toolbar) != 0) ++toolbar;
    return toolbar;
}

BarSection& BarModel::Mutable(int32_t toolbar) {
    const int32_t position = PositionOf(toolbar);
    if (position == 0) Raise(kErrNoSuchControl);
    return sections_[static_cast<size_t>(position - 1)];
}

template <class Call>
void BarModel::Notify(Call&& call) {
    struct Scope {
        int& depth;
        explicit Scope(int& d) : depth(d) { ++depth; }
        ~Scope() { --depth; }
    } scope(notifying_);
    // A view may attach or detach another while it hears a change.
    const std::vector<IBarView*> views = views_;
    for (IBarView* view : views)
        if (std::find(views_.begin(), views_.end(), view) != views_.end()) call(*view);
}

void BarModel::Clear() {
    sections_.clear();
    index_ = Index{};
    shown_ = 0;
    Notify([](IBarView& view) { view.Cleared(); });
}

void BarModel::InsertSection(int32_t position, BarSection section) {
    if (position < 1 || position > SectionCount() + 1) Raise(kErrIndexOutOfBounds);
    if (section.toolbar < 0) Raise(kErrNoSuchControl);
    if (PositionOf(section.toolbar) != 0) Raise(kErrAlreadyLoaded);
    for (BarButton& button : section.buttons) button.key = ButtonKeyOf(button.name, section.toolbar);
    sections_.insert(sections_.begin() + (position - 1), std::move(section));
    if (position == SectionCount()) {
        index_.sections[sections_.back().toolbar] = sections_.size() - 1;
        ReindexButtons(sections_.back());
    } else {
        Reindex();
    }
    if (shown_ >= position) ++shown_;
    const BarSection& added = sections_[static_cast<size_t>(position - 1)];
    Notify([&](IBarView& view) { view.SectionInserted(position, added); });
}

void BarModel::AddSection(const std::string& name, int32_t toolbar) {
    InsertSection(SectionCount() + 1, BarSection{name, toolbar, {}});
}

void BarModel::RemoveSection(int32_t position) {
    if (!SectionAt(position)) Raise(kErrIndexOutOfBounds);
    const BarSection removed = std::move(sections_[static_cast<size_t>(position - 1)]);
    sections_.erase(sections_.begin() + (position - 1));
    Reindex();
    // The tab that takes the place of the one shown shows next, as a tab
    // strip selects it.
    if (shown_ > position || shown_ > SectionCount()) --shown_;
    Notify([&](IBarView& view) { view.SectionRemoved(position, removed); });
    Show(shown_);
}

void BarModel::RenameSection(int32_t position, const std::string& name) {
    if (!SectionAt(position)) Raise(kErrIndexOutOfBounds);
    BarSection& section = sections_[static_cast<size_t>(position - 1)];
    section.name = name;
    Notify([&](IBarView& view) { view.SectionRenamed(position, section); });
}

void BarModel::MoveSection(int32_t from, int32_t to) {
    if (!SectionAt(from) || !SectionAt(to)) Raise(kErrIndexOutOfBounds);
    if (from == to) return;
    const int32_t shownToolbar = shown_ > 0 ? SectionAt(shown_)->toolbar : -1;
    BarSection moved = std::move(sections_[static_cast<size_t>(from - 1)]);
    sections_.erase(sections_.begin() + (from - 1));
    sections_.insert(sections_.begin() + (to - 1), std::move(moved));
    Reindex();
    if (shownToolbar >= 0) shown_ = PositionOf(shownToolbar);
    const BarSection& section = sections_[static_cast<size_t>(to - 1)];
    Notify([&](IBarView& view) { view.SectionMoved(from, to, section); });
    Show(shown_);
}

void BarModel::InsertButton(int32_t toolbar, size_t position, BarButton button) {
    BarSection& section = Mutable(toolbar);
    button.key = ButtonKeyOf(button.name, toolbar);
    if (ButtonIndex(section, button.key)) Raise(kErrKeyNotUnique);
    position = std::min(position, section.buttons.size());
    section.buttons.insert(section.buttons.begin() + static_cast<std::ptrdiff_t>(position), std::move(button));
    if (position + 1 == section.buttons.size()) {
        index_.buttons[toolbar][section.buttons.back().key] = position;
    } else {
        ReindexButtons(section);
    }
    Notify([&](IBarView& view) { view.ButtonInserted(section, position); });
}

void BarModel::AddButton(int32_t toolbar, BarButton button) {
    InsertButton(toolbar, static_cast<size_t>(-1), std::move(button));
}

void BarModel::RemoveButton(int32_t toolbar, const std::string& key) {
    BarSection& section = Mutable(toolbar);
    const std::optional<size_t> index = ButtonIndex(section, key);
    if (!index) Raise(kErrElementNotFound);
    const BarButton removed = std::move(section.buttons[*index]);
    section.buttons.erase(section.buttons.begin() + static_cast<std::ptrdiff_t>(*index));
    ReindexButtons(section);
    Notify([&](IBarView& view) { view.ButtonRemoved(section, removed); });
}

void BarModel::MoveButton(int32_t toolbar, const std::string& key, size_t position) {
    BarSection& section = Mutable(toolbar);
    const std::optional<size_t> from = ButtonIndex(section, key);
    if (!from) Raise(kErrElementNotFound);
    position = std::min(position, section.buttons.size() - 1);
    if (position == *from) return;
    BarButton moved = std::move(section.buttons[*from]);
    section.buttons.erase(section.buttons.begin() + static_cast<std::ptrdiff_t>(*from));
    section.buttons.insert(section.buttons.begin() + static_cast<std::ptrdiff_t>(position), std::move(moved));
    ReindexButtons(section);
    Notify([&](IBarView& view) { view.ButtonMoved(section, key, position); });
}

void BarModel::ReplaceButton(int32_t toolbar, const std::string& key, BarButton button) {
    BarSection& section = Mutable(toolbar);
    const std::optional<size_t> index = ButtonIndex(section, key);
    if (!index) Raise(kErrElementNotFound);
    button.key = ButtonKeyOf(button.name, toolbar);
    const std::optional<size_t> holder = ButtonIndex(section, button.key);
    if (holder && *holder != *index) Raise(kErrKeyNotUnique);
    section.buttons[*index] = std::move(button);
    ReindexButtons(section);
    Notify([&](IBarView& view) { view.ButtonReplaced(section, key, *index); });
}

void BarModel::Show(int32_t position) {
    shown_ = SectionAt(position) ? position : 0;
    const int32_t toolbar = shown_ > 0 ? SectionAt(shown_)->toolbar : 0;
    Notify([&](IBarView& view) { view.SectionShown(shown_, toolbar); });
}

void BarModel::ShowSection(int32_t position) {
    if (notifying_ > 0) return;
    Show(position);
}

void BarModel::ResolvePictures(const std::map<std::string, std::string>& shown) {
    for (BarSection& section : sections_)
        for (BarButton& button : section.buttons)
            if (auto it = shown.find(button.picture); it != shown.end()) {
                button.picture = it->second;
                button.extracted = false;  // arrived: nothing more to ask for
            }
    Notify([&](IBarView& view) { view.PicturesResolved(shown); });
}

void BarModel::ChooseImageSize(ImageListSize size) {
    imageSize_ = size;
    Notify([&](IBarView& view) { view.ImageSizeChosen(size); });
}

void BarModel::Attach(IBarView& view) {
    if (std::find(views_.begin(), views_.end(), &view) != views_.end()) return;
    views_.push_back(&view);
    struct Scope {
        int& depth;
        explicit Scope(int& d) : depth(d) { ++depth; }
        ~Scope() { --depth; }
    } scope(notifying_);
    view.Cleared();
    if (imageSize_) view.ImageSizeChosen(*imageSize_);
    for (size_t i = 0; i < sections_.size(); ++i) view.SectionInserted(static_cast<int32_t>(i + 1), sections_[i]);
    view.SectionShown(shown_, shown_ > 0 ? SectionAt(shown_)->toolbar : 0);
}

void BarModel::Detach(IBarView& view) { views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end()); }

namespace {

// For each element of `fresh`, the index of the element of `live` it is
// taken to be, or -1: the first unused one of the same name; else one of
// another name whose content is the same (a rename), in the same place
// first.
template <class T, class Same>
std::vector<int> MatchByName(const std::vector<T>& live, const std::vector<T>& fresh, Same sameContent) {
    std::vector<int> match(fresh.size(), -1);
    std::vector<bool> used(live.size(), false);
    for (size_t f = 0; f < fresh.size(); ++f) {
        for (size_t l = 0; l < live.size(); ++l) {
            if (used[l] || live[l].name != fresh[f].name) continue;
            match[f] = static_cast<int>(l);
            used[l] = true;
            break;
        }
    }
    for (size_t f = 0; f < fresh.size() && f < live.size(); ++f)
        if (match[f] < 0 && !used[f] && sameContent(live[f], fresh[f])) {
            match[f] = static_cast<int>(f);
            used[f] = true;
        }
    for (size_t f = 0; f < fresh.size(); ++f) {
        for (size_t l = 0; l < live.size() && match[f] < 0; ++l) {
            if (used[l] || !sameContent(live[l], fresh[f])) continue;
            match[f] = static_cast<int>(l);
            used[l] = true;
        }
    }
    return match;
}

bool SameButtons(const BarSection& a, const BarSection& b) {
    if (a.buttons.size() != b.buttons.size()) return false;
    for (size_t i = 0; i < a.buttons.size(); ++i) {
        const BarButton& x = a.buttons[i];
        const BarButton& y = b.buttons[i];
        if (x.name != y.name || x.target != y.target || x.arguments != y.arguments) return false;
    }
    return true;
}

bool SameTarget(const BarButton& a, const BarButton& b) { return a.target == b.target && a.arguments == b.arguments; }

}  // namespace

void BarModel::TakeButtons(int32_t toolbar, const BarSection& fresh) {
    const std::vector<BarButton> live = MustSection(toolbar).buttons;
    const std::vector<int> match = MatchByName(live, fresh.buttons, SameTarget);
    std::vector<bool> kept(live.size(), false);
    for (int l : match)
        if (l >= 0) kept[static_cast<size_t>(l)] = true;
    for (size_t l = live.size(); l-- > 0;)
        if (!kept[l]) RemoveButton(toolbar, live[l].key);
    for (size_t f = 0; f < fresh.buttons.size(); ++f) {
        BarButton want = fresh.buttons[f];
        if (match[f] < 0) {
            InsertButton(toolbar, f, std::move(want));
            continue;
        }
        const BarButton& was = live[static_cast<size_t>(match[f])];
        MoveButton(toolbar, was.key, f);
        if (was.name == want.name && SameTarget(was, want)) continue;
        // Its own picture stays while it opens the same thing.
        if (SameTarget(was, want)) {
            want.picture = was.picture;
            want.extracted = was.extracted;
        }
        ReplaceButton(toolbar, was.key, std::move(want));
    }
}

void BarModel::Take(const BarModel& fresh) {
    if (fresh.imageSize_ && fresh.imageSize_ != imageSize_) ChooseImageSize(*fresh.imageSize_);
    const int32_t shownToolbar = shown_ > 0 ? SectionAt(shown_)->toolbar : -1;
    const int32_t shownPosition = shown_;
    const std::vector<BarSection> live = sections_;
    const std::vector<int> match = MatchByName(live, fresh.sections_, SameButtons);
    std::vector<bool> kept(live.size(), false);
    for (int l : match)
        if (l >= 0) kept[static_cast<size_t>(l)] = true;
    for (size_t l = live.size(); l-- > 0;)
        if (!kept[l]) RemoveSection(static_cast<int32_t>(l + 1));
    for (size_t f = 0; f < fresh.sections_.size(); ++f) {
        const BarSection& want = fresh.sections_[f];
        const auto position = static_cast<int32_t>(f + 1);
        if (match[f] < 0) {
            BarSection added{want.name, FreeToolbar(), want.buttons};
            InsertSection(position, std::move(added));
            continue;
        }
        const int32_t toolbar = live[static_cast<size_t>(match[f])].toolbar;
        MoveSection(PositionOf(toolbar), position);
        if (sections_[f].name != want.name) RenameSection(position, want.name);
        TakeButtons(toolbar, want);
    }
    // The section shown stays while it is there; else the one in its place.
    const int32_t now = shownToolbar >= 0 ? PositionOf(shownToolbar) : 0;
    Show(now > 0 ? now : std::min(std::max(shownPosition, 1), SectionCount()));
}

}  // namespace lark
