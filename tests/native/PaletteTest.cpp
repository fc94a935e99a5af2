// The choice of colours: setting x app mode x high contrast, what each
// palette is made of, and the choice made again on the system's news.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "base/Palette.h"

namespace lark::test {
namespace {

// WCAG's contrast ratio of two colours, 1 to 21.
double Contrast(Colour a, Colour b) {
    auto luminance = [](Colour c) {
        double sum = 0;
        for (const auto& [shift, weight] : {std::pair{0, 0.2126}, {8, 0.7152}, {16, 0.0722}}) {
            const double s = ((c >> shift) & 0xFF) / 255.0;
            sum += weight * (s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// A theme whose every colour is its own, so each use can be traced.
SystemColours Distinct() {
    SystemColours s;
    Colour next = Rgb(1, 2, 3);
    for (Colour* c : {&s.face, &s.faceText, &s.shadow, &s.window, &s.windowText, &s.highlight, &s.highlightText,
                      &s.grayText, &s.menu, &s.menuText, &s.hotLight, &s.infoBack, &s.infoText})
        *c = next += Rgb(7, 5, 3);
    return s;
}

TEST(PaletteChoice, HighContrastWinsThenTheSettingThenTheAppMode) {
    using S = ColourSetting;
    using K = PaletteKind;
    const struct {
        S setting;
        bool appsLight, highContrast;
        K expected;
    } cases[] = {{S::System, true, false, K::Light},       {S::System, false, false, K::Dark},
                 {S::Light, false, false, K::Light},       {S::Dark, true, false, K::Dark},
                 {S::System, false, true, K::HighContrast}, {S::Dark, true, true, K::HighContrast},
                 {S::Light, true, true, K::HighContrast}};
    for (const auto& c : cases)
        EXPECT_EQ(ChoosePalette(c.setting, c.appsLight, c.highContrast), c.expected)
            << FormatColourSetting(c.setting) << " light=" << c.appsLight << " hc=" << c.highContrast;
}

TEST(Palettes, HighContrastIsMadeOfTheSystemsColoursAlone) {
    const SystemColours s = Distinct();
    const std::set<Colour> system{s.face, s.faceText, s.shadow,   s.window,   s.windowText, s.highlight, s.highlightText,
                                  s.grayText, s.menu, s.menuText, s.hotLight, s.infoBack,   s.infoText};
    const Palette p = MakePalette(PaletteKind::HighContrast, s);
    for (Colour c : {p.background, p.text, p.border, p.tab, p.page, p.tabText, p.dropTarget, p.buttonHot,
                     p.buttonPressed, p.insertMark, p.findBack, p.findText, p.findUnmatched, p.menuBack, p.menuText,
                     p.menuSelected, p.menuSelectedText, p.menuDisabled, p.tipBack, p.tipText, p.editBack,
                     p.editText, p.link})
        EXPECT_TRUE(system.count(c)) << std::hex << c;
    // The menu's own header colours give way to the system's pair, which
    // the theme makes readable; the light palette keeps them.
    const ColourPair own{Rgb(0, 64, 128), Rgb(255, 255, 255)};
    EXPECT_EQ(MenuHeaderColours(p, own).back, s.menuText);
    EXPECT_EQ(MenuHeaderColours(p, own).text, s.menu);
    EXPECT_EQ(MenuHeaderColours(MakePalette(PaletteKind::Light, s), own).back, own.back);
    EXPECT_NE(p.menuSelected, p.menuBack);
}

TEST(Palettes, DarkIsDarkAndEveryTextOnItIsReadable) {
    const Palette d = MakePalette(PaletteKind::Dark, Distinct());
    for (Colour surface : {d.background, d.tab, d.page, d.menuBack, d.findBack, d.editBack})
        EXPECT_GE(Contrast(surface, Rgb(255, 255, 255)), 12) << std::hex << surface;
    const struct {
        Colour text, back;
        double least;
    } pairs[] = {{d.text, d.background, 7},          {d.tabText, d.page, 7},        {d.tabText, d.dropTarget, 4.5},
                 {d.menuText, d.menuBack, 7},        {d.menuSelectedText, d.menuSelected, 7},
                 {d.menuDisabled, d.menuBack, 3},    {d.findText, d.findBack, 7},   {d.findUnmatched, d.findBack, 3},
                 {d.editText, d.editBack, 7},        {d.tipText, d.tipBack, 7},     {d.link, d.background, 4.5},
                 {d.insertMark, d.page, 3},          {d.buttonHot, d.page, 1.3},    {d.buttonPressed, d.buttonHot, 1.2},
                 {d.border, d.background, 1.5}};
    for (const auto& p : pairs)
        EXPECT_GE(Contrast(p.text, p.back), p.least) << std::hex << p.text << " on " << p.back;
}

class FakeSystem : public ISystemColours {
public:
    bool AppsUseLightTheme() override { return appsLight; }
    bool HighContrast() override { return highContrast; }
    SystemColours Colours() override { return colours; }
    bool appsLight = true;
    bool highContrast = false;
    SystemColours colours;
};

TEST(ColourSchemeTest, TheBarFollowsTheSystemsNewsAndTheUsersChoice) {
    FakeSystem system;
    ColourScheme scheme(system);
    EXPECT_FALSE(scheme.Hear(ColourNews::AppMode));  // nothing chosen yet
    scheme.Use(ColourSetting::System);
    EXPECT_EQ(scheme.Current().kind, PaletteKind::Light);

    // The user turns apps dark: Windows broadcasts "ImmersiveColorSet".
    system.appsLight = false;
    EXPECT_FALSE(scheme.Hear(ColourNews::SystemColours));  // other news does not reread the mode
    EXPECT_TRUE(scheme.Hear(ColourNews::AppMode));
    EXPECT_EQ(scheme.Current().kind, PaletteKind::Dark);
    EXPECT_FALSE(scheme.Hear(ColourNews::AppMode));  // the second window hears it too

    // "Light" in Options wins over the dark system, and back.
    EXPECT_TRUE(scheme.Use(ColourSetting::Light));
    EXPECT_EQ(scheme.Current().kind, PaletteKind::Light);
    EXPECT_TRUE(scheme.Use(ColourSetting::Dark));
    EXPECT_FALSE(scheme.Use(ColourSetting::Dark));

    // High contrast on: its colours come with it, and no setting overrules it.
    system.highContrast = true;
    system.colours = Distinct();
    EXPECT_TRUE(scheme.Hear(ColourNews::HighContrast));
    EXPECT_EQ(scheme.Current().kind, PaletteKind::HighContrast);
    EXPECT_EQ(scheme.Current().background, system.colours.face);
    EXPECT_FALSE(scheme.Use(ColourSetting::Dark));
    // Another high-contrast theme: new colours, the same kind.
    system.colours.face = Rgb(0, 0, 0);
    EXPECT_TRUE(scheme.Hear(ColourNews::SystemColours));
    EXPECT_EQ(scheme.Current().background, Rgb(0, 0, 0));

    // High contrast off: the setting holds again.
    system.highContrast = false;
    EXPECT_TRUE(scheme.Hear(ColourNews::HighContrast));
    EXPECT_EQ(scheme.Current().kind, PaletteKind::Dark);
}

}  // namespace
}  // namespace lark::test
