// The choice of colours: setting x app mode x high contrast, what each
// palette is made of, and the choice made again on the system's news.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "base/Palette.h"

namespace lark::test {
namespace {

double Luminance(Colour c) {
    auto channel = [](uint32_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) + 0.0722 * channel((c >> 16) & 0xFF);
}

double Contrast(Colour a, Colour b) {
    const double la = Luminance(a) + 0.05;
    const double lb = Luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

std::vector<Colour> Fields(const Palette& p) {
    return {p.background, p.text,         p.border,       p.tab,           p.page,
            p.tabText,    p.dropTarget,   p.buttonHot,    p.buttonPressed, p.insertMark,
            p.findBack,   p.findText,     p.findUnmatched, p.menuBack,     p.menuText,
            p.menuSelected, p.menuSelectedText, p.menuDisabled, p.tipBack, p.tipText,
            p.editBack,   p.editText,     p.link};
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
        bool appsLight;
        bool highContrast;
        K expected;
    } cases[] = {
        {S::System, true, false, K::Light},  {S::System, false, false, K::Dark},
        {S::Light, false, false, K::Light},  {S::Light, true, false, K::Light},
        {S::Dark, true, false, K::Dark},     {S::Dark, false, false, K::Dark},
        {S::System, false, true, K::HighContrast}, {S::Dark, true, true, K::HighContrast},
        {S::Light, true, true, K::HighContrast},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChoosePalette(c.setting, c.appsLight, c.highContrast), c.expected)
            << FormatColourSetting(c.setting) << " light=" << c.appsLight << " hc=" << c.highContrast;
}

TEST(PaletteChoice, TheSettingsTextRoundTripsAndAnythingElseFollowsWindows) {
    for (ColourSetting s : {ColourSetting::System, ColourSetting::Light, ColourSetting::Dark})
        EXPECT_EQ(ParseColourSetting(FormatColourSetting(s)), s);
    EXPECT_EQ(FormatColourSetting(ColourSetting::Dark), "dark");
    EXPECT_EQ(ParseColourSetting("Dark"), ColourSetting::Dark);
    for (const char* other : {"", "sepia", " dark", "1"}) EXPECT_EQ(ParseColourSetting(other), ColourSetting::System);
}

TEST(Palettes, HighContrastIsMadeOfTheSystemsColoursAlone) {
    const SystemColours system = Distinct();
    const std::set<Colour> allowed{system.face,     system.faceText,      system.shadow,   system.window,
                                   system.windowText, system.highlight,   system.highlightText, system.grayText,
                                   system.menu,     system.menuText,      system.hotLight, system.infoBack,
                                   system.infoText};
    const Palette hc = MakePalette(PaletteKind::HighContrast, system);
    for (Colour c : Fields(hc)) EXPECT_TRUE(allowed.count(c)) << std::hex << c;
    // The menu's own header colours give way to the system's, the pair the
    // theme makes readable; the light palette keeps them.
    const ColourPair own{Rgb(0, 64, 128), Rgb(255, 255, 255)};
    const ColourPair header = MenuHeaderColours(hc, own);
    EXPECT_EQ(header.back, system.menuText);
    EXPECT_EQ(header.text, system.menu);
    EXPECT_EQ(MenuHeaderColours(MakePalette(PaletteKind::Light, system), own).back, own.back);
    // Selection and the find box's unmatched text stand apart from the rest.
    EXPECT_NE(hc.menuSelected, hc.menuBack);
    EXPECT_NE(hc.findUnmatched, hc.findText);
    EXPECT_TRUE(hc.HighContrast());
    EXPECT_FALSE(hc.Dark());
}

TEST(Palettes, DarkIsDarkAndEveryTextOnItIsReadable) {
    const Palette dark = MakePalette(PaletteKind::Dark, Distinct());
    ASSERT_TRUE(dark.Dark());
    for (Colour surface : {dark.background, dark.tab, dark.page, dark.menuBack, dark.findBack, dark.editBack})
        EXPECT_LT(Luminance(surface), 0.05) << std::hex << surface;
    const struct {
        Colour text, back;
        double least;
    } pairs[] = {{dark.text, dark.background, 7},     {dark.tabText, dark.tab, 7},
                 {dark.tabText, dark.page, 7},        {dark.tabText, dark.dropTarget, 4.5},
                 {dark.menuText, dark.menuBack, 7},   {dark.menuSelectedText, dark.menuSelected, 7},
                 {dark.menuDisabled, dark.menuBack, 3}, {dark.findText, dark.findBack, 7},
                 {dark.findUnmatched, dark.findBack, 3}, {dark.editText, dark.editBack, 7},
                 {dark.tipText, dark.tipBack, 7},     {dark.link, dark.background, 4.5},
                 {dark.insertMark, dark.page, 3}};
    for (const auto& p : pairs)
        EXPECT_GE(Contrast(p.text, p.back), p.least) << std::hex << p.text << " on " << p.back;
    // Hot and pressed buttons, and a drop's tab, show on the toolbar and strip.
    EXPECT_GE(Contrast(dark.buttonHot, dark.page), 1.3);
    EXPECT_GE(Contrast(dark.buttonPressed, dark.buttonHot), 1.2);
    EXPECT_GE(Contrast(dark.border, dark.background), 1.5);
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

TEST(ColourSchemeTest, NewsBeforeTheFirstChoiceIsIgnoredAndTheChoiceReadsTheSystem) {
    FakeSystem system;
    system.appsLight = false;
    system.highContrast = true;
    ColourScheme scheme(system);
    EXPECT_FALSE(scheme.Hear(ColourNews::AppMode));
    scheme.Use(ColourSetting::Light);
    EXPECT_EQ(scheme.Current().kind, PaletteKind::HighContrast);
}

}  // namespace
}  // namespace lark::test
