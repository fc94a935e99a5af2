#include "commands/Arranging.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/Shortcuts.h"
#include "base/Texts.h"
#include "base/Unicode.h"

namespace lark {
namespace {

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

void Refuse(EditingContext& c, const std::string& text) {
    c.messageBox.Show(text, Text(IDS_RENAME), BoxIcon::Exclamation, BoxButtons::Ok);
}

std::vector<std::string> Names(const BarSection& section) {
    std::vector<std::string> names;
    names.reserve(section.buttons.size());
    for (const BarButton& button : section.buttons) names.push_back(button.name);
    return names;
}

// Whether the section holds the name, in the file or on the bar (but for
// the button `except`), in any letter case.
bool NameTaken(EditingContext& c, const BarSection& section, const std::string& name, const std::string& except = {}) {
    if (Catalogue(c).HasKey(section.name, name)) return true;
    return std::any_of(section.buttons.begin(), section.buttons.end(), [&](const BarButton& button) {
        return button.key != except && EqualsIgnoreCase(button.name, name);
    });
}

int32_t Clamp(int32_t position, size_t count) {
    const auto size = static_cast<int32_t>(count);
    return position < 0 || position > size ? size : position;
}

// A new button by the loader's rule.
BarButton MakeButton(EditingContext& c, const std::string& name, const std::string& target,
                     const std::string& arguments) {
    BarButton button{"", name, target, arguments, "no", false};
    const ImageChoice choice = c.pictures.ChooseButtonImage(target);
    button.picture = choice.key;
    button.extracted = choice.extracted;
    return button;
}

}  // namespace

bool IsFilePath(const std::string& target) {
    const auto letter = [](char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); };
    if (target.size() >= 3 && letter(target[0]) && target[1] == ':' && (target[2] == '\\' || target[2] == '/'))
        return true;
    return target.size() > 2 && target.compare(0, 2, "\\\\") == 0 && target[2] != '?' && target[2] != '.';
}

bool IsAddress(const std::string& target) { return UrlScheme(target).has_value(); }

void AddPrograms(EditingContext& c, int32_t toolbar, int32_t position, const std::vector<NewEntry>& entries) {
    const BarSection section = c.bar.MustSection(toolbar);
    position = Clamp(position, section.buttons.size());
    std::vector<NewEntry> added;
    bool refused = false;
    for (const NewEntry& entry : entries) {
        if (entry.name.empty()) continue;
        const bool twice = std::any_of(added.begin(), added.end(),
                                       [&](const NewEntry& e) { return EqualsIgnoreCase(e.name, entry.name); });
        if (twice || NameTaken(c, section, entry.name)) {
            refused = true;
        } else {
            added.push_back(entry);
        }
    }
    if (refused) c.messageBox.Show(Text(IDS_BUTTON_EXISTS), Text(IDS_ADD_BUTTON), BoxIcon::Critical, BoxButtons::Ok);
    if (added.empty()) return;

    std::vector<std::string> order = Names(section);
    std::vector<std::string> values;
    for (size_t i = 0; i < added.size(); ++i) {
        values.push_back(FormatEntryValue(added[i].target, added[i].arguments));
        order.insert(order.begin() + position + static_cast<std::ptrdiff_t>(i), added[i].name);
    }
    cINI& catalogue = Catalogue(c);
    CatalogueBatch edit(catalogue);
    for (size_t i = 0; i < added.size(); ++i) catalogue.Create(section.name, added[i].name, values[i]);
    catalogue.ArrangeSection(section.name, order);
    edit.Commit();

    for (size_t i = 0; i < added.size(); ++i) {
        const NewEntry& entry = added[i];
        c.bar.InsertButton(toolbar, static_cast<size_t>(position) + i,
                           MakeButton(c, entry.name, entry.target, entry.arguments));
    }
}

int32_t SectionNamed(const BarModel& bar, const std::string& name) {
    for (int32_t position = 1; position <= bar.SectionCount(); ++position)
        if (EqualsIgnoreCase(bar.SectionAt(position)->name, name)) return position;
    return 0;
}

void AddProgramsToSection(EditingContext& c, const std::optional<std::string>& name,
                          const std::vector<NewEntry>& entries) {
    int32_t position = 0;
    std::string wanted = name ? Trimmed(*name) : std::string();
    if (!wanted.empty()) {
        if (wanted.find(']') != std::string::npos) {
            c.messageBox.Show(Text(IDS_BAD_SECTION_NAME), Text(IDS_ADD_BUTTON), BoxIcon::Exclamation, BoxButtons::Ok);
            return;
        }
        position = SectionNamed(c.bar, wanted);
    } else {
        position = c.bar.Shown();
        // An empty bar makes a section for what is sent to it.
        if (position == 0) wanted = c.bar.SectionCount() > 0 ? c.bar.SectionAt(1)->name : Text(IDS_NEW_TAB);
    }
    if (position == 0) position = SectionNamed(c.bar, wanted);
    if (position == 0) {
        if (!AddSectionNamed(c, wanted)) return;
        position = c.bar.SectionCount();
    }
    // What was sent shows where it went.
    c.bar.ShowSection(position);
    AddPrograms(c, c.bar.SectionAt(position)->toolbar, -1, entries);
}

void MoveProgram(EditingContext& c, int32_t fromToolbar, const std::string& key, int32_t toToolbar,
                 int32_t position) {
    const BarButton moved = c.bar.MustButton(fromToolbar, key);
    const BarSection to = c.bar.MustSection(toToolbar);
    position = Clamp(position, to.buttons.size());
    cINI& catalogue = Catalogue(c);

    if (fromToolbar == toToolbar) {
        const auto from = static_cast<int32_t>(*to.IndexOf(key));
        // Dropped before itself or the button after it: it stays.
        const int32_t place = position > from ? position - 1 : position;
        if (place == from) return;
        std::vector<std::string> order = Names(to);
        order.erase(order.begin() + from);
        order.insert(order.begin() + place, moved.name);
        catalogue.ArrangeSection(to.name, order);
        c.bar.MoveButton(toToolbar, key, static_cast<size_t>(place));
        return;
    }

    if (NameTaken(c, to, moved.name)) {
        c.messageBox.Show(Text(IDS_BUTTON_EXISTS), Text(IDS_ADD_BUTTON), BoxIcon::Critical, BoxButtons::Ok);
        return;
    }
    std::vector<std::string> order = Names(to);
    order.insert(order.begin() + position, moved.name);
    {
        CatalogueBatch edit(catalogue);
        catalogue.MoveKey(c.bar.MustSection(fromToolbar).name, moved.name, to.name);
        catalogue.ArrangeSection(to.name, order);
        edit.Commit();
    }
    // Its picture goes with it: the image lists hold it under its own key.
    c.bar.RemoveButton(fromToolbar, key);
    c.bar.InsertButton(toToolbar, static_cast<size_t>(position), moved);
}

void RenameProgram(EditingContext& c, int32_t toolbar, const std::string& key) {
    const std::string section = c.bar.MustSection(toolbar).name;
    const BarButton button = c.bar.MustButton(toolbar, key);
    const std::optional<std::string> answer = c.input.Ask(Text(IDS_NEW_NAME), Text(IDS_RENAME_PROGRAM), button.name);
    if (!answer) return;
    const std::string newName = Trimmed(*answer);
    if (newName.empty() || newName == button.name) return;
    if (!UsableName(newName)) return Refuse(c, Text(IDS_BAD_PROGRAM_NAME));
    // Its own name in another letter case is no other program's.
    if (!EqualsIgnoreCase(newName, button.name) && NameTaken(c, c.bar.MustSection(toolbar), newName, key)) {
        c.messageBox.Show(Text(IDS_BUTTON_EXISTS), Text(IDS_ADD_BUTTON), BoxIcon::Critical, BoxButtons::Ok);
        return;
    }
    Catalogue(c).RenameKey(section, button.name, newName);
    BarButton renamed = button;
    renamed.name = newName;
    c.bar.ReplaceButton(toolbar, key, std::move(renamed));
}

void RenameSection(EditingContext& c, int32_t tabPosition) {
    const BarSection* section = c.bar.SectionAt(tabPosition);
    if (!section) Raise(kErrIndexOutOfBounds);
    const std::string name = section->name;
    const std::optional<std::string> answer = c.input.Ask(Text(IDS_NEW_NAME), Text(IDS_RENAME_SECTION), name);
    if (!answer) return;
    const std::string newName = Trimmed(*answer);
    if (newName.empty() || newName == name) return;
    if (newName.find(']') != std::string::npos) return Refuse(c, Text(IDS_BAD_SECTION_NAME));
    if (!EqualsIgnoreCase(newName, name)) {
        bool taken = Catalogue(c).HasSection(newName);
        for (int32_t position = 1; position <= c.bar.SectionCount() && !taken; ++position)
            taken = position != tabPosition && EqualsIgnoreCase(c.bar.SectionAt(position)->name, newName);
        if (taken) {
            c.messageBox.Show(Text(IDS_TAB_EXISTS), Text(IDS_CREATE_TAB), BoxIcon::Information, BoxButtons::Ok);
            return;
        }
    }
    Catalogue(c).RenameSection(name, newName);
    c.bar.RenameSection(tabPosition, newName);
}

void EditProgramProperties(EditingContext& c, int32_t toolbar, const std::string& key) {
    const std::string section = c.bar.MustSection(toolbar).name;
    const BarButton button = c.bar.MustButton(toolbar, key);
    const ProgramProperties before{button.name, button.target, button.arguments};
    ProgramProperties shown = before;
    ProgramProperties after;
    // A refused name opens the dialog again with what the user typed.
    for (;;) {
        const std::optional<ProgramProperties> answer = c.properties.Edit(shown, button.picture);
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
            Refuse(c, Text(IDS_BAD_PROGRAM_NAME));
            continue;
        }
        if (!Guard([&] { FormatEntryValue(after.target, after.arguments); })) {
            Refuse(c, Text(IDS_BAD_TARGET));
            continue;
        }
        if (!EqualsIgnoreCase(after.name, before.name) &&
            NameTaken(c, c.bar.MustSection(toolbar), after.name, key)) {
            c.messageBox.Show(Text(IDS_BUTTON_EXISTS), Text(IDS_ADD_BUTTON), BoxIcon::Critical, BoxButtons::Ok);
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
    BarButton changed = retargeted ? MakeButton(c, after.name, after.target, after.arguments) : button;
    changed.name = after.name;
    c.bar.ReplaceButton(toolbar, key, std::move(changed));
}

}  // namespace lark
