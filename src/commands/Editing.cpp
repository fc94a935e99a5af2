#include "commands/Editing.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "base/Unicode.h"

namespace lark {
namespace {

cINI& Catalogue(EditingContext& c) {
    if (!c.state.CatalogueIni) Raise(kErrObjectNotSet);
    return *c.state.CatalogueIni;
}

// A name the bar shows as a tab, in any letter case.
bool SectionShown(const BarModel& bar, const std::string& name) {
    const std::vector<BarSection>& sections = bar.Sections();
    return std::any_of(sections.begin(), sections.end(),
                       [&](const BarSection& section) { return EqualsIgnoreCase(section.name, name); });
}

}  // namespace

void CreateSection(EditingContext& c) {
    const std::optional<std::string> answer = c.input.Ask(Text(IDS_NEW_TAB_PROMPT), Text(IDS_NEW_TAB), "");
    if (!answer || answer->empty()) return;
    AddSectionNamed(c, *answer);
}

bool AddSectionNamed(EditingContext& c, const std::string& name) {
    cINI& catalogue = Catalogue(c);
    // The file knows one section per name, whatever the letter case.
    if (catalogue.HasSection(name) || SectionShown(c.bar, name)) {
        c.messageBox.Show(Text(IDS_TAB_EXISTS), Text(IDS_CREATE_TAB), BoxIcon::Information, BoxButtons::Ok);
        return false;
    }
    // The file first: a failed save leaves the bar as it was.
    CatalogueBatch edit(catalogue);
    catalogue.Create(name, "_New", "");
    catalogue.DeleteKey(name, "_New");
    edit.Commit();

    // The new toolbar shows the pictures of the bar's size.
    if (c.state.IconSize == 0 || c.state.IconSize == 1) {
        const ImageListSize size = c.state.IconSize == 0 ? ImageListSize::Large : ImageListSize::Small;
        if (c.bar.ImageSize() != size) c.bar.ChooseImageSize(size);
    }
    // Toolbars are found by their section: any index no section uses will do.
    c.bar.AddSection(name, c.bar.FreeToolbar());
    // The only tab is the selected one: its toolbar shows.
    if (c.bar.SectionCount() == 1) c.bar.ShowSection(1);
    return true;
}

void RemoveSection(EditingContext& c, int32_t tabPosition) {
    std::string name;
    Guard([&] {
        if (const BarSection* section = c.bar.SectionAt(tabPosition)) name = section->name;
    });
    BoxAnswer answer = BoxAnswer::Cancel;
    Guard([&] {
        answer = c.messageBox.Show(Text(IDS_DELETE_SECTION_PROMPT, {name}), Text(IDS_DELETING_SECTION), BoxIcon::Question,
                                   BoxButtons::OkCancel);
    });
    if (answer == BoxAnswer::Cancel) return;
    // A save that fails is reported and the section stays on the bar.
    Catalogue(c).DeleteSection(name);
    Guard([&] { c.bar.RemoveSection(tabPosition); });
}

void CreateButton(EditingContext& c, int32_t toolbarIndex, int32_t tabPosition) {
    // A cancelled dialog ends the command: no file from an earlier use.
    const std::optional<std::string> chosen =
        c.fileDialog.OpenFile(Text(IDS_SELECT_FILE), Text(IDS_SELECT_FILE_FILTER), 1);
    if (!chosen || chosen->empty() || !c.files.Exists(*chosen)) return;
    const std::string& file = *chosen;
    const std::optional<std::string> caption = c.input.Ask(Text(IDS_BUTTON_CAPTION_PROMPT), Text(IDS_CREATE_BUTTON), file);
    if (!caption || caption->empty()) return;

    const BarSection* shown = c.bar.SectionAt(tabPosition);
    if (!shown) Raise(kErrIndexOutOfBounds);
    const std::string section = shown->name;
    cINI& catalogue = Catalogue(c);
    // Names as the file sees them: another letter case is the same entry.
    bool taken = catalogue.HasKey(section, *caption);
    if (const BarSection* onBar = c.bar.Section(toolbarIndex))
        for (const BarButton& button : onBar->buttons) taken = taken || EqualsIgnoreCase(button.name, *caption);
    if (taken) {
        c.messageBox.Show(Text(IDS_BUTTON_EXISTS), Text(IDS_ADD_BUTTON), BoxIcon::Critical, BoxButtons::Ok);
        return;
    }

    BarButton button{"", *caption, file, "", "", false};
    if (file.size() >= 3 && UpperCase(file.substr(file.size() - 3)) == "MDB") {
        button.picture = "mdb";
    } else {
        // One file chosen by hand: its own pictures are taken at once.
        const std::string key = c.pictures.OwnPictureKey(file);
        const IIconSource::Found found = c.icons.ExtractIcons(file);
        c.state.LargeIcons.assign(1, found.large);
        c.state.SmallIcons.assign(1, found.small);
        c.icons.StorePictures(key);
        button.picture = (c.state.IconSize != 0 ? found.small : found.large) != 0 ? key : "no";
    }

    catalogue.Create(section, *caption, file);
    c.bar.AddButton(toolbarIndex, std::move(button));
}

void DeleteButton(EditingContext& c, int32_t toolbarIndex, const std::string& buttonKey) {
    std::string name;
    std::string section;
    if (!Guard([&] {
            name = c.bar.MustButton(toolbarIndex, buttonKey).name;
            section = c.bar.MustSection(toolbarIndex).name;
        }))
        return;
    if (c.messageBox.Show(Text(IDS_DELETE_PROGRAM_PROMPT, {name}), Text(IDS_DELETING_PROGRAM), BoxIcon::Question,
                          BoxButtons::OkCancel) == BoxAnswer::Cancel)
        return;
    // The name is the entry's key; only that line of the section goes. A
    // save that fails is reported and the button stays.
    Catalogue(c).DeleteKey(section, name);
    Guard([&] { c.bar.RemoveButton(toolbarIndex, buttonKey); });
}

}  // namespace lark
