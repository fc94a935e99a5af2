#include "base/Palette.h"

#include <algorithm>
#include <cctype>

namespace lark {
namespace {

// Windows 11's dark surfaces: the base, a layer on it, and lines between.
constexpr Colour kDarkBase = Rgb(32, 32, 32);
constexpr Colour kDarkLayer = Rgb(43, 43, 43);
constexpr Colour kDarkRaised = Rgb(51, 51, 51);
constexpr Colour kDarkLine = Rgb(85, 85, 85);
constexpr Colour kDarkText = Rgb(255, 255, 255);
// The light palette's own link colour: Windows' link blue, which some
// themes' hot-tracking colour makes too pale.
constexpr Colour kLinkBlue = Rgb(0, 102, 204);

Palette DarkPalette() {
    Palette p;
    p.kind = PaletteKind::Dark;
    p.background = kDarkBase;
    p.text = kDarkText;
    p.border = kDarkLine;
    p.tab = kDarkBase;
    p.page = kDarkRaised;
    p.tabText = kDarkText;
    p.dropTarget = Rgb(0, 84, 153);
    p.buttonHot = Rgb(77, 77, 77);
    p.buttonPressed = Rgb(102, 102, 102);
    p.insertMark = Rgb(96, 205, 255);
    p.findBack = Rgb(25, 25, 25);
    p.findText = kDarkText;
    p.findUnmatched = Rgb(157, 157, 157);
    p.menuBack = kDarkLayer;
    p.menuText = kDarkText;
    p.menuSelected = Rgb(65, 65, 65);
    p.menuSelectedText = kDarkText;
    p.menuDisabled = Rgb(140, 140, 140);
    p.tipBack = kDarkLayer;
    p.tipText = kDarkText;
    p.editBack = Rgb(45, 45, 45);
    p.editText = kDarkText;
    p.link = Rgb(102, 178, 255);
    return p;
}

// The system's own colours, as the bar always painted.
Palette SystemPalette(PaletteKind kind, const SystemColours& s) {
    Palette p;
    p.kind = kind;
    p.background = s.face;
    p.text = s.faceText;
    p.border = s.shadow;
    p.tab = s.face;
    p.page = s.face;
    p.tabText = s.faceText;
    p.dropTarget = s.highlight;
    p.buttonHot = s.highlight;
    p.buttonPressed = s.highlight;
    p.insertMark = s.highlight;
    p.findBack = s.window;
    p.findText = s.windowText;
    p.findUnmatched = s.grayText;
    p.menuBack = s.menu;
    p.menuText = s.menuText;
    p.menuSelected = s.highlight;
    p.menuSelectedText = s.highlightText;
    p.menuDisabled = s.grayText;
    p.tipBack = s.infoBack;
    p.tipText = s.infoText;
    p.editBack = s.window;
    p.editText = s.windowText;
    p.link = kind == PaletteKind::HighContrast ? s.hotLight : kLinkBlue;
    return p;
}

}  // namespace

ColourSetting ParseColourSetting(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "light") return ColourSetting::Light;
    if (lower == "dark") return ColourSetting::Dark;
    return ColourSetting::System;
}

std::string FormatColourSetting(ColourSetting setting) {
    switch (setting) {
        case ColourSetting::Light: return "light";
        case ColourSetting::Dark: return "dark";
        case ColourSetting::System: break;
    }
    return "system";
}

PaletteKind ChoosePalette(ColourSetting setting, bool appsUseLightTheme, bool highContrast) {
    if (highContrast) return PaletteKind::HighContrast;
    switch (setting) {
        case ColourSetting::Light: return PaletteKind::Light;
        case ColourSetting::Dark: return PaletteKind::Dark;
        case ColourSetting::System: break;
    }
    return appsUseLightTheme ? PaletteKind::Light : PaletteKind::Dark;
}

Palette MakePalette(PaletteKind kind, const SystemColours& system) {
    return kind == PaletteKind::Dark ? DarkPalette() : SystemPalette(kind, system);
}

ColourPair MenuHeaderColours(const Palette& palette, ColourPair own) {
    if (palette.HighContrast()) return ColourPair{palette.menuText, palette.menuBack};
    return own;
}

bool ColourScheme::Use(ColourSetting setting) {
    if (!read_) {
        appsLight_ = system_.AppsUseLightTheme();
        highContrast_ = system_.HighContrast();
        colours_ = system_.Colours();
        read_ = true;
    }
    setting_ = setting;
    return Choose();
}

bool ColourScheme::Hear(ColourNews news) {
    if (!read_) return false;  // nothing chosen yet: the first Use reads all
    if (news == ColourNews::AppMode) {
        appsLight_ = system_.AppsUseLightTheme();
    } else {
        // A high-contrast theme comes with colours of its own, and its
        // colours may arrive before or after the news of the switch.
        highContrast_ = system_.HighContrast();
        colours_ = system_.Colours();
    }
    return Choose();
}

bool ColourScheme::Choose() {
    const Palette next = MakePalette(ChoosePalette(setting_, appsLight_, highContrast_), colours_);
    if (next == palette_) return false;
    palette_ = next;
    return true;
}

}  // namespace lark
