#include "commands/Editing.h"

#include <algorithm>

#include "base/BarInput.h"
#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark {
namespace {

cINI& Catalogue(EditingContext& c) {
    if (!c.state.CatalogueIni) Raise(kErrObjectNotSet);
    return *c.state.CatalogueIni;
}

// The first toolbar whose tag is the name, -1 when none.
int32_t ToolbarTagged(IBarWindow& bar, const std::string& name) {
    for (int32_t index : bar.ToolbarIndices())
        if (bar.ToolbarTag(index) == name) return index;
    return -1;
}

// An index no element of either window uses.
int32_t FreeToolbarIndex(EditingContext& c) {
    int32_t index = 1;
    while (c.floating.HasToolbar(index) || c.docked.HasToolbar(index)) ++index;
    return index;
}

void BindCurrentSize(IBarWindow& bar, int32_t index, int32_t iconSize) {
    if (iconSize == 0) bar.BindImageList(index, ImageListSize::Large);
    if (iconSize == 1) bar.BindImageList(index, ImageListSize::Small);
}

// Element 0 belongs to the window and cannot go; emptied and untagged it
// can serve a later section without old buttons.
void DiscardSectionToolbar(IBarWindow& bar, const std::string& name) {
    const int32_t index = ToolbarTagged(bar, name);
    if (index < 0) return;
    if (index == 0) {
        bar.ClearButtons(0);
        bar.SetToolbarTag(0, "");
        bar.SetToolbarVisible(0, false);
    } else {
        bar.DiscardToolbar(index);
    }
}

}  // namespace

void CreateSection(EditingContext& c) {
    const std::optional<std::string> answer = c.input.Ask("Create new Tab", "New Tab", "");
    if (!answer || answer->empty()) return;
    const std::string& name = *answer;
    ITabStrip& tabs = c.floating.TabControl1();
    cINI& catalogue = Catalogue(c);
    // The file knows one section per name, whatever the letter case.
    bool taken = catalogue.HasSection(name);
    for (int32_t position = 1; position <= tabs.TabCount() && !taken; ++position)
        taken = EqualsIgnoreCase(tabs.TabKey(position), name);
    if (taken) {
        c.messageBox.Show("Tab already exist!", "Create tab", BoxIcon::Information, BoxButtons::Ok);
        return;
    }
    // The file first: a failed save leaves the bar as it was.
    CatalogueBatch edit(catalogue);
    catalogue.Create(name, "_New", "");
    catalogue.DeleteKey(name, "_New");
    edit.Commit();

    tabs.AddTab(name, -1, -1, name);
    c.docked.TabControl1().AddTab(name, -1, -1, name);
    int32_t index = 0;
    if (tabs.TabCount() > 1) {
        // Toolbars are found by tag: any index both windows leave free will do.
        index = FreeToolbarIndex(c);
        for (IBarWindow* bar : {&c.floating, &c.docked}) {
            bar->CreateToolbar(index);
            bar->ClearButtons(index);
            BindCurrentSize(*bar, index, c.state.IconSize);
        }
    } else {
        for (IBarWindow* bar : {&c.floating, &c.docked}) bar->ClearButtons(0);
    }
    c.floating.SetToolbarTag(index, name);
    c.docked.SetToolbarTag(index, name);
    if (tabs.TabCount() == 1) {
        // The only tab is the selected one: its toolbar shows.
        ShowSectionToolbar(c.floating, 1);
        ShowSectionToolbar(c.docked, 1);
    }
}

void RemoveSection(EditingContext& c, int32_t tabPosition) {
    std::string name;
    Guard([&] { name = c.floating.TabControl1().TabKey(tabPosition); });
    BoxAnswer answer = BoxAnswer::Cancel;
    Guard([&] {
        answer = c.messageBox.Show("Delete section: " + name + "?", "Deleting section", BoxIcon::Question,
                                   BoxButtons::OkCancel);
    });
    if (answer == BoxAnswer::Cancel) return;
    // A save that fails is reported and the section stays on the bar.
    Catalogue(c).DeleteSection(name);
    Guard([&] { DiscardSectionToolbar(c.floating, name); });
    Guard([&] { DiscardSectionToolbar(c.docked, name); });
    Guard([&] { c.floating.TabControl1().RemoveTab(tabPosition); });
    Guard([&] { c.docked.TabControl1().RemoveTab(tabPosition); });
}

void CreateButton(EditingContext& c, int32_t toolbarIndex, int32_t tabPosition) {
    // A cancelled dialog ends the command: no file from an earlier use.
    const std::optional<std::string> chosen =
        c.fileDialog.OpenFile("Select file", "Exe files|*.exe|MS Access files|*.mdb|All files|*.*|", 1);
    if (!chosen || chosen->empty() || !c.files.Exists(*chosen)) return;
    const std::string& file = *chosen;
    const std::optional<std::string> caption = c.input.Ask("Create caption for button", "Create button", file);
    if (!caption || caption->empty()) return;

    const std::string section = c.floating.TabControl1().TabKey(tabPosition);
    cINI& catalogue = Catalogue(c);
    // Names as the file sees them: another letter case is the same entry.
    bool taken = catalogue.HasKey(section, *caption);
    const std::vector<std::string> keys = c.floating.ButtonKeys(toolbarIndex);
    for (const std::string& key : keys)
        taken = taken || EqualsIgnoreCase(c.floating.GetButtonToolTip(toolbarIndex, key), *caption);
    if (taken) {
        c.messageBox.Show("Button already exist!", "Add button", BoxIcon::Critical, BoxButtons::Ok);
        return;
    }
    // Keyed as the loader keys a button, so keys stay unique with names.
    const std::string buttonKey = *caption + std::to_string(toolbarIndex);

    std::string image;
    if (file.size() >= 3 && UpperCase(file.substr(file.size() - 3)) == "MDB") {
        image = "mdb";
    } else {
        const IIconSource::Found found = c.icons.ExtractIcons(file);
        c.state.LargeIcons.assign(1, found.large);
        c.state.SmallIcons.assign(1, found.small);
        std::string key;
        for (auto number = static_cast<int32_t>(keys.size()) + 1; key.empty(); ++number) {
            const std::string candidate = "i_" + std::to_string(tabPosition) + "_" + std::to_string(number);
            if (!c.state.PictureKeys.count(candidate)) key = candidate;
        }
        c.state.PictureKeys.insert(key);
        c.icons.StorePictures(key);
        image = (c.state.IconSize != 0 ? found.small : found.large) != 0 ? key : "no";
    }

    catalogue.Create(section, *caption, file);
    c.floating.AddButton(toolbarIndex, buttonKey, image);
    c.docked.AddButton(toolbarIndex, buttonKey, image);
    for (IBarWindow* bar : {&c.floating, &c.docked}) {
        bar->SetButtonTag(toolbarIndex, buttonKey, ButtonTag{file, ""});
        bar->SetButtonToolTip(toolbarIndex, buttonKey, *caption);
    }
}

void DeleteButton(EditingContext& c, int32_t toolbarIndex, const std::string& buttonKey) {
    std::string name;
    std::string section;
    if (!Guard([&] {
            name = c.floating.GetButtonToolTip(toolbarIndex, buttonKey);
            section = c.floating.ToolbarTag(toolbarIndex);
        }))
        return;
    if (c.messageBox.Show("Delete program: " + name + "?", "Deleting program", BoxIcon::Question,
                          BoxButtons::OkCancel) == BoxAnswer::Cancel)
        return;
    // The tooltip is the entry's key; only that line of the section goes. A
    // save that fails is reported and the button stays.
    Catalogue(c).DeleteKey(section, name);
    Guard([&] { c.floating.RemoveButton(toolbarIndex, buttonKey); });
    Guard([&] { c.docked.RemoveButton(toolbarIndex, buttonKey); });
}

}  // namespace lark
