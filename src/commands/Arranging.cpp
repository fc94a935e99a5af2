#include "commands/Arranging.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/Shortcuts.h"
#include "base/Unicode.h"

namespace lark {
namespace {

constexpr const char* kNameTakenText = "Button already exist!";
constexpr const char* kNameTakenTitle = "Add button";
constexpr const char* kBadNameText = "A program name can't contain = or start with [.";
constexpr const char* kBadSectionText = "A section name can't contain ].";
constexpr const char* kBadTargetText = "A target can't contain quotation marks.";

cINI& Catalogue(EditingContext& c) {
    if (!c.state.CatalogueIni) Raise(kErrObjectNotSet);
    return *c.state.CatalogueIni;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The loader splits an entry at its first "=", and the profile functions
// take a line that starts with "[" for a header: such a name would not
// come back.
bool UsableName(const std::string& name) {
    return name.find('=') == std::string::npos && (name.empty() || name.front() != '[');
}

void Refuse(EditingContext& c, const char* text) {
    c.messageBox.Show(text, "Rename", BoxIcon::Exclamation, BoxButtons::Ok);
}

// Keyed as the loader keys a button: its name and the toolbar's index.
std::string ButtonKey(const std::string& name, int32_t toolbar) { return name + std::to_string(toolbar); }

std::vector<std::string> Names(EditingContext& c, int32_t toolbar, const std::vector<std::string>& keys) {
    std::vector<std::string> names;
    names.reserve(keys.size());
    for (const std::string& key : keys) names.push_back(c.floating.GetButtonToolTip(toolbar, key));
    return names;
}

// Whether the section holds the name, in the file or on its toolbar (but
// for the button `except`), in any letter case.
bool NameTaken(EditingContext& c, int32_t toolbar, const std::string& name, const std::string& except = {}) {
    if (Catalogue(c).HasKey(c.floating.ToolbarTag(toolbar), name)) return true;
    for (const std::string& key : c.floating.ButtonKeys(toolbar))
        if (key != except && EqualsIgnoreCase(c.floating.GetButtonToolTip(toolbar, key), name)) return true;
    return false;
}

int32_t Clamp(int32_t position, size_t count) {
    const auto size = static_cast<int32_t>(count);
    return position < 0 || position > size ? size : position;
}

// The tab of a toolbar's section, 0 when none shows it.
int32_t TabOf(EditingContext& c, int32_t toolbar) {
    const std::string section = c.floating.ToolbarTag(toolbar);
    ITabStrip& tabs = c.floating.TabControl1();
    for (int32_t position = 1; position <= tabs.TabCount(); ++position)
        if (tabs.TabKey(position) == section) return position;
    return 0;
}

// A new button's picture by the loader's rule, under a picture key no
// button of this run has had.
std::string PictureFor(EditingContext& c, int32_t toolbar, const std::string& target, const std::string& arguments) {
    if (!arguments.empty()) return "no";  // as the loader shows an entry with arguments
    const int32_t tab = TabOf(c, toolbar);
    auto number = static_cast<int32_t>(c.floating.ButtonKeys(toolbar).size()) + 1;
    while (c.state.PictureKeys.count("i_" + std::to_string(tab) + "_" + std::to_string(number))) ++number;
    return c.pictures.ChooseButtonImage(target, static_cast<int16_t>(tab), static_cast<int16_t>(number)).key;
}

// One button on both windows, at a place of its toolbar.
void PlaceButton(EditingContext& c, int32_t toolbar, int32_t position, const std::string& name,
                 const std::string& image, const ButtonTag& tag) {
    const std::string key = ButtonKey(name, toolbar);
    for (IBarWindow* bar : {&c.floating, &c.docked}) {
        bar->AddButton(toolbar, key, image);
        bar->SetButtonTag(toolbar, key, tag);
        bar->SetButtonToolTip(toolbar, key, name);
        bar->MoveButton(toolbar, key, position);
    }
}

// A button made again in its place under a new name, picture or tag.
void RebuildButton(EditingContext& c, int32_t toolbar, const std::string& key, const std::string& name,
                   const std::string& image, const ButtonTag& tag) {
    const std::vector<std::string> keys = c.floating.ButtonKeys(toolbar);
    const auto position = static_cast<int32_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
    for (IBarWindow* bar : {&c.floating, &c.docked}) bar->RemoveButton(toolbar, key);
    PlaceButton(c, toolbar, position, name, image, tag);
}

}  // namespace

bool IsFilePath(const std::string& target) {
    const auto letter = [](char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); };
    if (target.size() >= 3 && letter(target[0]) && target[1] == ':' && (target[2] == '\\' || target[2] == '/'))
        return true;
    return target.size() > 2 && target.compare(0, 2, "\\\\") == 0 && target[2] != '?' && target[2] != '.';
}

bool IsAddress(const std::string& target) { return target.find("://") != std::string::npos; }

void AddPrograms(EditingContext& c, int32_t toolbar, int32_t position, const std::vector<NewEntry>& entries) {
    const std::string section = c.floating.ToolbarTag(toolbar);
    const std::vector<std::string> keys = c.floating.ButtonKeys(toolbar);
    position = Clamp(position, keys.size());
    std::vector<NewEntry> added;
    bool refused = false;
    for (const NewEntry& entry : entries) {
        if (entry.name.empty()) continue;
        const bool twice = std::any_of(added.begin(), added.end(),
                                       [&](const NewEntry& e) { return EqualsIgnoreCase(e.name, entry.name); });
        if (twice || NameTaken(c, toolbar, entry.name)) {
            refused = true;
        } else {
            added.push_back(entry);
        }
    }
    if (refused) c.messageBox.Show(kNameTakenText, kNameTakenTitle, BoxIcon::Critical, BoxButtons::Ok);
    if (added.empty()) return;

    std::vector<std::string> order = Names(c, toolbar, keys);
    std::vector<std::string> values;
    for (size_t i = 0; i < added.size(); ++i) {
        values.push_back(FormatEntryValue(added[i].target, added[i].arguments));
        order.insert(order.begin() + position + static_cast<std::ptrdiff_t>(i), added[i].name);
    }
    cINI& catalogue = Catalogue(c);
    CatalogueBatch edit(catalogue);
    for (size_t i = 0; i < added.size(); ++i) catalogue.Create(section, added[i].name, values[i]);
    catalogue.ArrangeSection(section, order);
    edit.Commit();

    for (size_t i = 0; i < added.size(); ++i) {
        const NewEntry& entry = added[i];
        const std::string image = PictureFor(c, toolbar, entry.target, entry.arguments);
        PlaceButton(c, toolbar, position + static_cast<int32_t>(i), entry.name, image,
                    ButtonTag{entry.target, entry.arguments});
    }
}

void MoveProgram(EditingContext& c, int32_t fromToolbar, const std::string& key, int32_t toToolbar,
                 int32_t position) {
    const std::string name = c.floating.GetButtonToolTip(fromToolbar, key);
    std::vector<std::string> keys = c.floating.ButtonKeys(toToolbar);
    position = Clamp(position, keys.size());
    cINI& catalogue = Catalogue(c);

    if (fromToolbar == toToolbar) {
        const auto from = static_cast<int32_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
        // Dropped before itself or the button after it: it stays.
        const int32_t to = position > from ? position - 1 : position;
        if (to == from) return;
        keys.erase(keys.begin() + from);
        keys.insert(keys.begin() + to, key);
        catalogue.ArrangeSection(c.floating.ToolbarTag(toToolbar), Names(c, toToolbar, keys));
        for (IBarWindow* bar : {&c.floating, &c.docked}) bar->MoveButton(toToolbar, key, to);
        return;
    }

    if (NameTaken(c, toToolbar, name)) {
        c.messageBox.Show(kNameTakenText, kNameTakenTitle, BoxIcon::Critical, BoxButtons::Ok);
        return;
    }
    const std::string toSection = c.floating.ToolbarTag(toToolbar);
    std::vector<std::string> order = Names(c, toToolbar, keys);
    order.insert(order.begin() + position, name);
    {
        CatalogueBatch edit(catalogue);
        catalogue.MoveKey(c.floating.ToolbarTag(fromToolbar), name, toSection);
        catalogue.ArrangeSection(toSection, order);
        edit.Commit();
    }
    // Its picture goes with it: the image lists hold it under its own key.
    const ButtonTag tag = c.floating.GetButtonTag(fromToolbar, key);
    const std::string image = c.floating.GetButtonImage(fromToolbar, key);
    for (IBarWindow* bar : {&c.floating, &c.docked}) bar->RemoveButton(fromToolbar, key);
    PlaceButton(c, toToolbar, position, name, image, tag);
}

void RenameProgram(EditingContext& c, int32_t toolbar, const std::string& key) {
    const std::string name = c.floating.GetButtonToolTip(toolbar, key);
    const std::optional<std::string> answer = c.input.Ask("New name:", "Rename Program", name);
    if (!answer) return;
    const std::string newName = Trimmed(*answer);
    if (newName.empty() || newName == name) return;
    if (!UsableName(newName)) return Refuse(c, kBadNameText);
    // Its own name in another letter case is no other program's.
    if (!EqualsIgnoreCase(newName, name) && NameTaken(c, toolbar, newName, key)) {
        c.messageBox.Show(kNameTakenText, kNameTakenTitle, BoxIcon::Critical, BoxButtons::Ok);
        return;
    }
    Catalogue(c).RenameKey(c.floating.ToolbarTag(toolbar), name, newName);
    RebuildButton(c, toolbar, key, newName, c.floating.GetButtonImage(toolbar, key),
                  c.floating.GetButtonTag(toolbar, key));
}

void RenameSection(EditingContext& c, int32_t tabPosition) {
    ITabStrip& tabs = c.floating.TabControl1();
    const std::string name = tabs.TabKey(tabPosition);
    const std::optional<std::string> answer = c.input.Ask("New name:", "Rename Section", name);
    if (!answer) return;
    const std::string newName = Trimmed(*answer);
    if (newName.empty() || newName == name) return;
    if (newName.find(']') != std::string::npos) return Refuse(c, kBadSectionText);
    if (!EqualsIgnoreCase(newName, name)) {
        bool taken = Catalogue(c).HasSection(newName);
        for (int32_t position = 1; position <= tabs.TabCount() && !taken; ++position)
            taken = position != tabPosition && EqualsIgnoreCase(tabs.TabKey(position), newName);
        if (taken) {
            c.messageBox.Show("Tab already exist!", "Create tab", BoxIcon::Information, BoxButtons::Ok);
            return;
        }
    }
    Catalogue(c).RenameSection(name, newName);
    for (IBarWindow* bar : {&c.floating, &c.docked}) {
        bar->TabControl1().RenameTab(tabPosition, newName, newName);
        for (int32_t index : bar->ToolbarIndices()) {
            if (bar->ToolbarTag(index) != name) continue;
            bar->SetToolbarTag(index, newName);
            break;
        }
    }
}

void EditProgramProperties(EditingContext& c, int32_t toolbar, const std::string& key) {
    const std::string section = c.floating.ToolbarTag(toolbar);
    const ButtonTag tag = c.floating.GetButtonTag(toolbar, key);
    const std::string image = c.floating.GetButtonImage(toolbar, key);
    const ProgramProperties before{c.floating.GetButtonToolTip(toolbar, key), tag.target, tag.arguments};
    ProgramProperties shown = before;
    ProgramProperties after;
    // A refused name opens the dialog again with what the user typed.
    for (;;) {
        const std::optional<ProgramProperties> answer = c.properties.Edit(shown, image);
        if (!answer) return;
        shown = *answer;
        if (shown.name == before.name && shown.target == before.target && shown.arguments == before.arguments)
            return;
        after = {Trimmed(shown.name), Trimmed(shown.target), Trimmed(shown.arguments)};
        // A path typed in quotes, as a shortcut's properties show one.
        if (after.target.size() >= 2 && after.target.front() == '"' && after.target.back() == '"' &&
            std::count(after.target.begin(), after.target.end(), '"') == 2)
            after.target = after.target.substr(1, after.target.size() - 2);
        if (after.name.empty()) after.name = before.name;
        if (!UsableName(after.name)) {
            Refuse(c, kBadNameText);
            continue;
        }
        if (!Guard([&] { FormatEntryValue(after.target, after.arguments); })) {
            Refuse(c, kBadTargetText);
            continue;
        }
        if (!EqualsIgnoreCase(after.name, before.name) && NameTaken(c, toolbar, after.name, key)) {
            c.messageBox.Show(kNameTakenText, kNameTakenTitle, BoxIcon::Critical, BoxButtons::Ok);
            continue;
        }
        break;
    }
    const bool renamed = after.name != before.name;
    const bool retargeted = after.target != before.target || after.arguments != before.arguments;
    if (!renamed && !retargeted) return;
    cINI& catalogue = Catalogue(c);
    {
        CatalogueBatch edit(catalogue);
        if (renamed) catalogue.RenameKey(section, before.name, after.name);
        if (retargeted) catalogue.Create(section, after.name, FormatEntryValue(after.target, after.arguments));
        edit.Commit();
    }
    const std::string picture = retargeted ? PictureFor(c, toolbar, after.target, after.arguments) : image;
    RebuildButton(c, toolbar, key, after.name, picture, ButtonTag{after.target, after.arguments});
}

}  // namespace lark
