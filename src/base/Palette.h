#pragma once
// The bar's colours: light, dark or high contrast, chosen from the user's
// "Theme" setting, the system's app mode and its high-contrast state, and
// chosen again when the system announces a change.
#include <cstdint>
#include <string>

namespace lark {

// The registry value "Theme": "system" (also for absent or unknown text),
// "light" or "dark".
enum class ColourSetting { System, Light, Dark };
ColourSetting ParseColourSetting(const std::string& text);
std::string FormatColourSetting(ColourSetting setting);

enum class PaletteKind { Light, Dark, HighContrast };

// High contrast wins over every setting: the user needs it to read at all.
PaletteKind ChoosePalette(ColourSetting setting, bool appsUseLightTheme, bool highContrast);

// Red, green and blue in the order COLORREF keeps them (0x00BBGGRR).
using Colour = uint32_t;
constexpr Colour Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red | (green << 8) | (blue << 16); }

// The system colours the light and the high-contrast palette are made of.
struct SystemColours {
    Colour face = Rgb(240, 240, 240);  // COLOR_BTNFACE
    Colour faceText = 0;               // COLOR_BTNTEXT
    Colour shadow = Rgb(160, 160, 160);
    Colour window = Rgb(255, 255, 255);
    Colour windowText = 0;
    Colour highlight = Rgb(0, 120, 215);
    Colour highlightText = Rgb(255, 255, 255);
    Colour grayText = Rgb(109, 109, 109);
    Colour menu = Rgb(240, 240, 240);
    Colour menuText = 0;
    Colour hotLight = Rgb(0, 102, 204);
    Colour infoBack = Rgb(255, 255, 225);
    Colour infoText = 0;

    friend bool operator==(const SystemColours&, const SystemColours&) = default;
};

// Every colour a window of the bar paints with. In the light and the
// high-contrast palette the controls the system draws (tabs, toolbar
// buttons) keep their own drawing; only the dark palette paints them.
struct Palette {
    PaletteKind kind = PaletteKind::Light;

    Colour background = 0;  // the bar windows and the dialogs
    Colour text = 0;
    Colour border = 0;      // tab edges, separators, the find box's frame
    Colour tab = 0;         // an unselected tab
    Colour page = 0;        // the selected tab and the toolbars on it
    Colour tabText = 0;
    Colour dropTarget = 0;  // the tab a drag rests on
    Colour buttonHot = 0;   // under the mouse or the keyboard
    Colour buttonPressed = 0;
    Colour insertMark = 0;
    Colour findBack = 0;
    Colour findText = 0;
    Colour findUnmatched = 0;
    Colour menuBack = 0;
    Colour menuText = 0;
    Colour menuSelected = 0;
    Colour menuSelectedText = 0;
    Colour menuDisabled = 0;
    Colour tipBack = 0;
    Colour tipText = 0;
    Colour editBack = 0;
    Colour editText = 0;
    Colour link = 0;

    bool Dark() const { return kind == PaletteKind::Dark; }
    bool HighContrast() const { return kind == PaletteKind::HighContrast; }
    friend bool operator==(const Palette&, const Palette&) = default;
};

Palette MakePalette(PaletteKind kind, const SystemColours& system);

// The popup menu's group headers: the menu's own colours, but in high
// contrast the system's menu colours the other way round.
struct ColourPair {
    Colour back = 0;
    Colour text = 0;
};
ColourPair MenuHeaderColours(const Palette& palette, ColourPair own);

// The system's state as the choice reads it.
class ISystemColours {
public:
    virtual ~ISystemColours() = default;
    // The user's app mode; light when the system does not say.
    virtual bool AppsUseLightTheme() = 0;
    virtual bool HighContrast() = 0;
    virtual SystemColours Colours() = 0;
};

// What the system announces.
enum class ColourNews {
    AppMode,        // WM_SETTINGCHANGE with "ImmersiveColorSet"
    HighContrast,   // WM_SETTINGCHANGE for SPI_SETHIGHCONTRAST
    SystemColours,  // WM_SYSCOLORCHANGE
};

// The palette in use and what it was chosen from.
class ColourScheme {
public:
    explicit ColourScheme(ISystemColours& system) : system_(system) {}

    // Reads the system's state (the first time) and takes the setting; true
    // when the palette is not the one in use before.
    bool Use(ColourSetting setting);
    // Reads again what the news concerns; true when the palette changed.
    bool Hear(ColourNews news);
    const Palette& Current() const { return palette_; }

private:
    bool Choose();

    ISystemColours& system_;
    bool read_ = false;
    ColourSetting setting_ = ColourSetting::System;
    bool appsLight_ = true;
    bool highContrast_ = false;
    SystemColours colours_;
    Palette palette_ = MakePalette(PaletteKind::Light, SystemColours{});
};

}  // namespace lark
