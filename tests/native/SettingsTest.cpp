#include <gtest/gtest.h>

#include "Fakes.h"
#include "base/Conversions.h"
#include "startup/StartWithWindows.h"

namespace lark::test {
namespace {

TEST(Conversions, WholeNumbersRoundHalvesToEven) {
    EXPECT_EQ(ToInt32("5752.5"), 5752);
    EXPECT_EQ(ToInt32("5753.5"), 5754);
    EXPECT_EQ(ToInt32("-2.5"), -2);
    EXPECT_EQ(ToInt32(" 42 "), 42);
    EXPECT_EQ(ToInt32("1,000"), 1000);
    EXPECT_EQ(ToInt16("&HFFFF"), -1);
    EXPECT_EQ(ToInt32("2E3"), 2000);
}

TEST(Conversions, BadTextAndRangeRaiseTheirErrors) {
    auto number = [](auto&& f) {
        try {
            f();
        } catch (const RuntimeError& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(number([] { ToInt32("abc"); }), kErrTypeMismatch);
    EXPECT_EQ(number([] { ToInt32(""); }), kErrTypeMismatch);
    EXPECT_EQ(number([] { ToInt32("12abc"); }), kErrTypeMismatch);
    EXPECT_EQ(number([] { ToInt32("True"); }), kErrTypeMismatch);
    EXPECT_EQ(number([] { ToInt16("32768"); }), kErrOverflow);
    EXPECT_EQ(number([] { ToInt16("32767.5"); }), kErrOverflow);  // rounds up past the range
    EXPECT_EQ(number([] { ToInt32("3000000000"); }), kErrOverflow);
    EXPECT_EQ(number([] { ToBool("maybe"); }), kErrTypeMismatch);
}

TEST(Conversions, BooleansAcceptWordsAndNumbers) {
    EXPECT_TRUE(ToBool("True"));
    EXPECT_TRUE(ToBool("true"));
    EXPECT_TRUE(ToBool("1"));
    EXPECT_TRUE(ToBool("-1"));
    EXPECT_FALSE(ToBool("False"));
    EXPECT_FALSE(ToBool("0"));
    EXPECT_EQ(FormatNumber(5760), "5760");
    EXPECT_EQ(FormatNumber(5752.5), "5752.5");
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.ScreenWidthPx = 1024;
        state.ScreenHeightPx = 768;
        state.TwipsPerPixelX = state.TwipsPerPixelY = TwipsPerPixel(96);  // 15 twips per pixel
    }
    AppState state;
    FakeSettingsStore store;
};

TEST_F(SettingsTest, AFreshUserGetsTheDefaults) {
    LoadSettings(state, store);
    EXPECT_EQ(state.CataloguePath, "");  // the program chooses the catalogue's home
    EXPECT_EQ(state.IconSize, 1);
    EXPECT_EQ(state.FloatTop, 768 * 15 / 2);
    EXPECT_EQ(state.FloatLeft, 1024 * 15 / 2);
    EXPECT_EQ(state.FloatWidth, 7500);
    EXPECT_EQ(state.FloatHeight, 0);  // one row
    EXPECT_EQ(state.BarPosition, 5);
    EXPECT_FALSE(state.AutoHideOn);
    EXPECT_EQ(state.Hotkey, (KeyChord{kModWin | kModAlt, 'L'}));
    EXPECT_EQ(state.Theme, ColourSetting::System);
    EXPECT_EQ(store.reads, (std::vector<std::string>{"INI_Path", "Size", "Top", "Left", "Width", "Height", "Position",
                                                     "Autohide", "Hotkey", "Theme", "Language"}));
    EXPECT_EQ(state.Language, "");  // Windows' language
}

TEST_F(SettingsTest, HalfTwipDefaultsRoundToEven) {
    state.ScreenHeightPx = 767;  // 11505 twips: half is 5752.5
    state.ScreenWidthPx = 1023;  // 15345 twips: half is 7672.5
    LoadSettings(state, store);
    EXPECT_EQ(state.FloatTop, 5752);
    EXPECT_EQ(state.FloatLeft, 7672);
}

TEST_F(SettingsTest, StoredValuesAreConverted) {
    store.Set("INI_Path", "D:\\Cat\\mine.ini");
    store.Set("Size", "0");
    store.Set("Top", "1200.5");
    store.Set("Left", "-300");
    store.Set("Width", "9000");
    store.Set("Height", "1430");
    store.Set("Position", "2");
    store.Set("Autohide", "1");
    store.Set("Hotkey", " ctrl + SHIFT+f12 ");
    store.Set("Theme", "dark");
    LoadSettings(state, store);
    EXPECT_EQ(state.Theme, ColourSetting::Dark);
    EXPECT_EQ(state.CataloguePath, "D:\\Cat\\mine.ini");
    EXPECT_EQ(state.IconSize, 0);
    EXPECT_EQ(state.FloatTop, 1200);
    EXPECT_EQ(state.FloatLeft, -300);
    EXPECT_EQ(state.FloatWidth, 9000);
    EXPECT_EQ(state.FloatHeight, 1430);
    EXPECT_EQ(state.BarPosition, 2);
    EXPECT_TRUE(state.AutoHideOn);
    EXPECT_EQ(state.Hotkey, (KeyChord{kModCtrl | kModShift, 0x7B}));
    // An empty value is no hotkey at all.
    store.Set("Hotkey", "");
    LoadSettings(state, store);
    EXPECT_TRUE(state.Hotkey.None());
}

TEST_F(SettingsTest, AnUnreadableValueKeepsOnlyItsFieldUnchanged) {
    state.IconSize = 1;
    store.Set("Top", "abc");
    store.Set("Size", "99999");  // overflows 16 bits
    store.Set("Autohide", "True");
    store.Set("Position", "7");  // out of the known codes, kept as it is
    store.Set("Hotkey", "Hyper+L");
    store.Set("Height", "tall");
    state.FloatHeight = 1100;
    state.Theme = ColourSetting::Dark;
    store.Set("Theme", "sepia");  // a later copy's choice: this one follows Windows
    LoadSettings(state, store);
    EXPECT_EQ(state.Theme, ColourSetting::System);
    EXPECT_EQ(state.FloatHeight, 1100);
    EXPECT_EQ(state.FloatTop, 0);
    EXPECT_EQ(state.IconSize, 1);
    EXPECT_EQ(state.FloatLeft, 7680);
    EXPECT_EQ(state.BarPosition, 7);
    EXPECT_TRUE(state.AutoHideOn);
    EXPECT_EQ(state.Hotkey, kDefaultHotkey);
    // A size the bar has no pictures for is the default: it would dock a
    // bar without rows.
    for (const char* size : {"7", "-1", "2"}) {
        state.IconSize = 0;
        store.Set("Size", size);
        LoadSettings(state, store);
        EXPECT_EQ(state.IconSize, 1) << size;
    }
    // Chords that could never arrive are unreadable too.
    for (const char* never : {"Win+L", "Shift+A", "K", "Ctrl+Alt", "Ctrl+Alt+Shift"}) {
        state.Hotkey = KeyChord{kModCtrl, 'Q'};
        store.Set("Hotkey", never);
        LoadSettings(state, store);
        EXPECT_EQ(state.Hotkey, (KeyChord{kModCtrl, 'Q'})) << never;
    }
    // A height below nothing is the height of one row.
    store.Set("Height", "-40");
    LoadSettings(state, store);
    EXPECT_EQ(state.FloatHeight, 0);
}

TEST(KeyChordText, EveryChordTheControlCanMakeRoundTrips) {
    EXPECT_EQ(FormatKeyChord(kDefaultHotkey), "Win+Alt+L");
    EXPECT_EQ(FormatKeyChord(KeyChord{kModShift | kModAlt | kModCtrl | kModWin, 0x70}), "Win+Ctrl+Alt+Shift+F1");
    EXPECT_EQ(FormatKeyChord(KeyChord{}), "");
    for (uint32_t key = 1; key <= 0xFE; ++key) {
        for (uint32_t modifiers : {kModCtrl | kModAlt, kModWin | kModShift}) {
            const KeyChord chord{modifiers, key};
            const std::optional<KeyChord> back = ParseKeyChord(FormatKeyChord(chord));
            const bool modifierKey = (key >= 0x10 && key <= 0x12) || key == 0x5B || key == 0x5C ||
                                     (key >= 0xA0 && key <= 0xA5);
            if (modifierKey) {
                EXPECT_FALSE(back) << FormatKeyChord(chord);
            } else {
                EXPECT_EQ(back, chord) << FormatKeyChord(chord);
            }
        }
    }
    EXPECT_EQ(ParseKeyChord("control+alt+pageup"), (KeyChord{kModCtrl | kModAlt, 0x21}));
    EXPECT_EQ(ParseKeyChord("Win+Alt+num7"), (KeyChord{kModWin | kModAlt, 0x67}));
    EXPECT_EQ(ParseKeyChord("Alt+Ctrl+0xba"), (KeyChord{kModCtrl | kModAlt, 0xBA}));
    for (const char* bad : {"Win+", "+L", "Ctrl+F25", "Ctrl+0x100", "Ctrl+LL", "Ctrl+Alt+Win"})
        EXPECT_FALSE(ParseKeyChord(bad)) << bad;
    // Plain Win+L locks the session below every registration.
    EXPECT_NE(KeyChordProblem(KeyChord{kModWin, 'L'}), "");
    EXPECT_EQ(KeyChordProblem(KeyChord{kModWin | kModShift, 'L'}), "");
    EXPECT_NE(KeyChordProblem(KeyChord{kModShift, 'L'}), "");
    EXPECT_EQ(KeyChordProblem(KeyChord{}), "");
}

TEST_F(SettingsTest, SaveWritesEveryKeyInItsOrderAndForm) {
    state.CataloguePath = "C:\\Apps\\zentrol.ini";
    state.IconSize = 0;
    state.BarPosition = 2;
    state.FloatTop = 450;
    state.FloatLeft = -15;
    state.FloatWidth = 7500;
    state.FloatHeight = 1425;
    state.AutoHideOn = true;
    state.Hotkey = KeyChord{kModCtrl | kModAlt, ' '};
    state.Theme = ColourSetting::Light;
    SaveSettings(state, store);
    EXPECT_EQ(store.writes, (std::vector<std::string>{"INI_Path", "Size", "Position", "Top", "Left", "Width",
                                                      "Height", "Autohide", "Hotkey", "Theme"}));
    EXPECT_EQ(store.Get("Height"), "1425");
    EXPECT_EQ(store.Get("Hotkey"), "Ctrl+Alt+Space");
    EXPECT_EQ(store.Get("Theme"), "light");
    EXPECT_EQ(store.Get("Size"), "0");
    EXPECT_EQ(store.Get("Position"), "2");
    EXPECT_EQ(store.Get("Left"), "-15");
    EXPECT_EQ(store.Get("Autohide"), "True");

    AppState reread;
    reread.IconSize = 1;
    LoadSettings(reread, store);
    EXPECT_EQ(reread.CataloguePath, state.CataloguePath);
    EXPECT_EQ(reread.IconSize, 0);
    EXPECT_EQ(reread.FloatLeft, -15);
    EXPECT_EQ(reread.FloatHeight, 1425);
    EXPECT_TRUE(reread.AutoHideOn);
    EXPECT_EQ(reread.Hotkey, state.Hotkey);
    EXPECT_EQ(reread.Theme, ColourSetting::Light);

    // Windows' language is no value at all, so older copies never meet one;
    // a choice is written, and undone by writing it empty.
    EXPECT_FALSE(store.Get("Language"));
    state.Language = "de-DE";
    SaveSettings(state, store);
    LoadSettings(reread, store);
    EXPECT_EQ(reread.Language, "de-DE");
    state.Language.clear();
    SaveSettings(state, store);
    EXPECT_EQ(store.Get("Language"), "");
}

TEST_F(SettingsTest, AFailingWriteEndsTheSave) {
    store.failOnKey = "Top";
    EXPECT_THROW(SaveSettings(state, store), RuntimeError);
    EXPECT_EQ(store.writes, (std::vector<std::string>{"INI_Path", "Size", "Position"}));
}

TEST(StartWithWindows, TheBoxShowsWhetherTheValueStartsThisVeryProgram) {
    FakeRunKey run;
    const std::string exe = "C:\\Program Files\\Larkspan\\larkspan.exe";
    EXPECT_FALSE(StartsWithWindows(run, exe));
    SetStartWithWindows(run, exe, true);
    EXPECT_EQ(run.values["Larkspan"], "\"C:\\Program Files\\Larkspan\\larkspan.exe\"");
    EXPECT_TRUE(StartsWithWindows(run, exe));
    // Forms the shell reads as this program, too.
    for (const char* command : {" \"c:/program files/larkspan/LARKSPAN.EXE\" /min",
                                "C:\\Program Files\\Larkspan\\larkspan.exe",
                                "C:\\Program Files\\Larkspan\\larkspan.exe -x"}) {
        run.values["Larkspan"] = command;
        EXPECT_TRUE(StartsWithWindows(run, exe)) << command;
    }
    // Another copy, another program, nothing.
    for (const char* command : {"\"D:\\Stick\\larkspan.exe\"", "\"C:\\Program Files\\Larkspan\\larkspan.exe.old\"",
                                "C:\\Program Files\\Larkspan\\larkspan.exe2", "\"", ""}) {
        run.values["Larkspan"] = command;
        EXPECT_FALSE(StartsWithWindows(run, exe)) << command;
    }

    // Unticking leaves another copy's value alone; ticking takes it over.
    run.values["Larkspan"] = "\"D:\\Stick\\larkspan.exe\"";
    SetStartWithWindows(run, exe, false);
    EXPECT_EQ(run.values["Larkspan"], "\"D:\\Stick\\larkspan.exe\"");
    SetStartWithWindows(run, exe, true);
    EXPECT_TRUE(StartsWithWindows(run, exe));
    SetStartWithWindows(run, exe, false);
    EXPECT_EQ(run.values.count("Larkspan"), 0u);

    run.refuse = true;
    EXPECT_THROW(SetStartWithWindows(run, exe, true), RuntimeError);
    EXPECT_FALSE(StartsWithWindows(run, exe));
}

class FakeSendTo : public ISendToFolder {
public:
    std::optional<LinkTarget> Read(const std::string& name) override {
        auto it = links.find(name);
        if (it == links.end()) return std::nullopt;
        return it->second;
    }
    void Write(const std::string& name, const LinkTarget& link) override { links[name] = link; }
    void Remove(const std::string& name) override { links.erase(name); }
    std::map<std::string, LinkTarget> links;
};

TEST(StartWithWindows, TheSendToBoxShowsWhetherTheShortcutAddsToThisVeryProgram) {
    FakeSendTo sendTo;
    const std::string exe = "C:\\Program Files\\Larkspan\\larkspan.exe";
    EXPECT_FALSE(ShowsInSendTo(sendTo, exe));
    SetShowInSendTo(sendTo, exe, true);
    EXPECT_EQ(sendTo.links["Larkspan"].target, exe);
    EXPECT_EQ(sendTo.links["Larkspan"].arguments, "/add");
    EXPECT_TRUE(ShowsInSendTo(sendTo, exe));
    sendTo.links["Larkspan"] = LinkTarget{"c:/program files/larkspan/LARKSPAN.EXE", " /ADD "};
    EXPECT_TRUE(ShowsInSendTo(sendTo, exe));
    // A shortcut that only starts the bar, or starts another copy, is not it.
    sendTo.links["Larkspan"] = LinkTarget{exe, ""};
    EXPECT_FALSE(ShowsInSendTo(sendTo, exe));
    sendTo.links["Larkspan"] = LinkTarget{"D:\\Stick\\larkspan.exe", "/add"};
    EXPECT_FALSE(ShowsInSendTo(sendTo, exe));
    // Unticking leaves the other copy's shortcut; this copy's goes.
    SetShowInSendTo(sendTo, exe, false);
    EXPECT_EQ(sendTo.links.count("Larkspan"), 1u);
    SetShowInSendTo(sendTo, exe, true);
    SetShowInSendTo(sendTo, exe, false);
    EXPECT_EQ(sendTo.links.count("Larkspan"), 0u);
}

}  // namespace
}  // namespace lark::test
