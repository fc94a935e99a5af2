#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeBar.h"
#include "base/BarModel.h"
#include "base/BarWindowView.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Each change a view hears, in a line.
class RecordingView : public IBarView {
public:
    void Cleared() override { log.push_back("clear"); }
    void SectionInserted(int32_t position, const BarSection& s) override {
        log.push_back("+section " + std::to_string(position) + " " + s.name);
    }
    void SectionRemoved(int32_t position, const BarSection& s) override {
        log.push_back("-section " + std::to_string(position) + " " + s.name);
    }
    void SectionRenamed(int32_t position, const BarSection& s) override {
        log.push_back("rename section " + std::to_string(position) + " " + s.name);
    }
    void SectionMoved(int32_t from, int32_t to, const BarSection& s) override {
        log.push_back("move section " + s.name + " " + std::to_string(from) + ">" + std::to_string(to));
    }
    void ButtonInserted(const BarSection& s, size_t position) override {
        log.push_back("+button " + s.buttons[position].key + " at " + std::to_string(position));
    }
    void ButtonRemoved(const BarSection&, const BarButton& b) override { log.push_back("-button " + b.key); }
    void ButtonMoved(const BarSection&, const std::string& key, size_t position) override {
        log.push_back("move button " + key + " to " + std::to_string(position));
    }
    void ButtonReplaced(const BarSection& s, const std::string& oldKey, size_t position) override {
        const BarButton& b = s.buttons[position];
        log.push_back("replace " + oldKey + " by " + b.key + " " + b.target + " " + b.picture);
    }
    void SectionShown(int32_t position, int32_t toolbar) override {
        log.push_back("show " + std::to_string(position) + " toolbar " + std::to_string(toolbar));
    }
    void PicturesResolved(const std::map<std::string, std::string>&) override { log.push_back("pictures"); }
    void ImageSizeChosen(ImageListSize) override { log.push_back("size"); }
    std::vector<std::string> log;
};

BarButton Program(const std::string& name, const std::string& target) {
    return BarButton{"", name, target, "", "i_" + target, true};
}

using Sections = std::vector<std::pair<std::string, std::vector<BarButton>>>;

// A model as the loader builds one: toolbars 0, 1, ... in file order.
void Fill(BarModel& model, Sections sections) {
    int32_t toolbar = 0;
    for (auto& [name, buttons] : sections) {
        model.AddSection(name, toolbar);
        for (BarButton& button : buttons) model.AddButton(toolbar, button);
        ++toolbar;
    }
    model.ShowSection(1);
}

BarModel Built(Sections sections) {
    BarModel model;
    Fill(model, std::move(sections));
    return model;
}

std::vector<std::string> Names(const BarModel& model) {
    std::vector<std::string> names;
    for (const BarSection& section : model.Sections()) names.push_back(section.name);
    return names;
}

std::vector<std::string> Keys(const BarModel& model, int32_t position) {
    std::vector<std::string> keys;
    for (const BarButton& button : model.SectionAt(position)->buttons) keys.push_back(button.key);
    return keys;
}

// Two windows show the same thing: tabs, toolbars, buttons, pictures.
void ExpectSameWindows(const FakeBar& a, const FakeBar& b) {
    EXPECT_EQ(a.tabs.Names(), b.tabs.Names());
    EXPECT_EQ(a.tabs.current, b.tabs.current);
    ASSERT_EQ(a.ToolbarIndices(), b.ToolbarIndices());
    for (int32_t i : a.ToolbarIndices()) {
        EXPECT_EQ(a.ToolbarTag(i), b.ToolbarTag(i));
        EXPECT_EQ(a.ToolbarVisible(i), b.ToolbarVisible(i)) << "toolbar " << i;
        EXPECT_EQ(a.At(i).images, b.At(i).images);
        ASSERT_EQ(a.ButtonKeys(i), b.ButtonKeys(i));
        for (const std::string& key : a.ButtonKeys(i)) {
            EXPECT_EQ(a.GetButtonImage(i, key), b.GetButtonImage(i, key));
            EXPECT_EQ(a.GetButtonToolTip(i, key), b.GetButtonToolTip(i, key));
            EXPECT_EQ(a.GetButtonTag(i, key).target, b.GetButtonTag(i, key).target);
        }
    }
}

TEST(BarModel, AWindowMadeAfterEveryKindOfChangeShowsWhatTheFirstShows) {
    BarModel model = Built({{"Tools", {Program("Notepad", "C:\\n.exe"), Program("Calc", "C:\\c.exe")}},
                            {"Games", {Program("Chess", "C:\\chess.exe")}},
                            {"Web", {}}});
    FakeBar early;
    BarWindowView earlyView(early);
    model.Attach(earlyView);
    model.ChooseImageSize(ImageListSize::Large);
    model.InsertButton(1, 0, Program("Mines", "C:\\m.exe"));
    model.MoveButton(0, "Calc0", 0);
    BarButton renamed = *model.Button(0, "Notepad0");
    renamed.name = "Editor";
    model.ReplaceButton(0, "Notepad0", renamed);
    model.ResolvePictures({{"i_C:\\m.exe", "no"}});
    model.RenameSection(3, "Links");
    model.RemoveSection(1);
    model.AddSection("New", model.FreeToolbar());
    model.MoveSection(3, 1);
    model.ShowSection(2);

    FakeBar late;
    BarWindowView lateView(late);
    model.Attach(lateView);
    ExpectSameWindows(early, late);
    EXPECT_THAT(late.tabs.Names(), ElementsAre("New", "Games", "Links"));
    EXPECT_THAT(late.ButtonKeys(1), ElementsAre("Mines1", "Chess1"));
    EXPECT_EQ(late.GetButtonImage(1, "Mines1"), "no");
    EXPECT_TRUE(late.ToolbarVisible(1));
    EXPECT_EQ(late.At(1).images, ImageListSize::Large);
    // Element 0 stays the window's, emptied with its section; the new
    // section took a free index.
    EXPECT_EQ(model.SectionAt(1)->toolbar, 3);
    EXPECT_EQ(late.ToolbarTag(3), "New");
    EXPECT_THAT(late.ButtonKeys(0), IsEmpty());
}

TEST(BarModel, ChangesRaiseAsTheWindowsDid) {
    BarModel model = Built({{"A", {Program("X", "C:\\x.exe")}}});
    auto number = [](auto&& step) {
        try {
            step();
        } catch (const RuntimeError& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(number([&] { model.AddButton(0, Program("X", "C:\\other.exe")); }), kErrKeyNotUnique);
    EXPECT_EQ(number([&] { model.RemoveButton(0, "Y0"); }), kErrElementNotFound);
    EXPECT_EQ(number([&] { model.AddButton(4, Program("Y", "C:\\y.exe")); }), kErrNoSuchControl);
    EXPECT_EQ(number([&] { model.AddSection("B", 0); }), kErrAlreadyLoaded);
    EXPECT_EQ(number([&] { model.RemoveSection(2); }), kErrIndexOutOfBounds);
    model.AddButton(0, Program("Y", "C:\\y.exe"));
    BarButton clash = *model.Button(0, "Y0");
    clash.name = "X";
    EXPECT_EQ(number([&] { model.ReplaceButton(0, "Y0", clash); }), kErrKeyNotUnique);
}

class TakeTest : public ::testing::Test {
protected:
    void Live(Sections sections) {
        Fill(live, std::move(sections));
        live.Attach(view);
        live.Attach(windowView);
        view.log.clear();
    }
    void Take(Sections sections) {
        live.Take(Built(std::move(sections)));
        // The window made anew from the result shows what the one that
        // followed the changes shows.
        FakeBar fresh;
        BarWindowView freshView(fresh);
        live.Attach(freshView);
        ExpectSameWindows(window, fresh);
        live.Detach(freshView);
    }
    // The changes heard, but for the section shown told again at the end.
    std::vector<std::string> Changes() {
        std::vector<std::string> changes;
        for (const std::string& line : view.log)
            if (line.rfind("show ", 0) != 0) changes.push_back(line);
        return changes;
    }

    BarModel live;
    RecordingView view;
    FakeBar window;
    BarWindowView windowView{window};
};

TEST_F(TakeTest, TheSameFileChangesNothing) {
    Live({{"Tools", {Program("Notepad", "C:\\n.exe")}}, {"Web", {}}});
    live.ResolvePictures({{"i_C:\\n.exe", "no"}});
    view.log.clear();
    Take({{"Tools", {Program("Notepad", "C:\\n.exe")}}, {"Web", {}}});
    EXPECT_THAT(Changes(), IsEmpty());
    // What a picture resolved to stays.
    EXPECT_EQ(live.Button(0, "Notepad0")->picture, "no");
}

TEST_F(TakeTest, ASectionAddedAboveLeavesTheOthersTheirToolbarsPicturesAndTheSectionShown) {
    Live({{"Tools", {Program("Notepad", "C:\\n.exe")}}, {"Games", {Program("Chess", "C:\\chess.exe")}}});
    live.ShowSection(2);
    live.ResolvePictures({{"i_C:\\chess.exe", "no"}});
    view.log.clear();
    Take({{"New", {Program("Calc", "C:\\c.exe")}}, {"Tools", {Program("Notepad", "C:\\n.exe")}},
          {"Games", {Program("Chess", "C:\\chess.exe")}}});
    EXPECT_THAT(Changes(), ElementsAre("+section 1 New"));
    EXPECT_THAT(Names(live), ElementsAre("New", "Tools", "Games"));
    EXPECT_EQ(live.SectionAt(2)->toolbar, 0);
    EXPECT_EQ(live.SectionAt(1)->toolbar, 2);  // a free index, keys made for it
    EXPECT_THAT(Keys(live, 1), ElementsAre("Calc2"));
    EXPECT_EQ(live.Button(1, "Chess1")->picture, "no");
    EXPECT_EQ(live.ShownSection()->name, "Games");
    EXPECT_EQ(window.tabs.current, 3);
}

TEST_F(TakeTest, SectionsRemovedMovedAndRenamed) {
    Live({{"A", {Program("a", "C:\\a.exe")}}, {"B", {Program("b", "C:\\b.exe")}}, {"C", {}},
          {"D", {Program("d", "C:\\d.exe")}}});
    live.ShowSection(3);
    view.log.clear();
    // B goes, D moves to the front, A is renamed in its place (same content).
    Take({{"D", {Program("d", "C:\\d.exe")}}, {"Apps", {Program("a", "C:\\a.exe")}}, {"C", {}}});
    EXPECT_THAT(Changes(),
                ElementsAre("-section 2 B", "move section D 3>1", "rename section 2 Apps"));
    EXPECT_THAT(Names(live), ElementsAre("D", "Apps", "C"));
    EXPECT_EQ(live.SectionAt(2)->toolbar, 0);
    EXPECT_EQ(live.ShownSection()->name, "C");
    // The section shown gone: the one in its place shows.
    Take({{"D", {Program("d", "C:\\d.exe")}}, {"Apps", {Program("a", "C:\\a.exe")}}});
    EXPECT_EQ(live.Shown(), 2);
    Take({});
    EXPECT_EQ(live.Shown(), 0);
    EXPECT_THAT(window.tabs.Names(), IsEmpty());
    EXPECT_TRUE(window.ToolbarVisible(0));
}

TEST_F(TakeTest, ButtonsAddedRemovedMovedRenamedAndRetargeted) {
    Live({{"Tools", {Program("One", "C:\\1.exe"), Program("Two", "C:\\2.exe"), Program("Three", "C:\\3.exe"),
                     Program("Four", "C:\\4.exe")}}});
    live.ResolvePictures({{"i_C:\\3.exe", "no"}});
    view.log.clear();
    // Two goes, Four moves to the front, Three is renamed "Drei" in its place
    // with its target, One opens another program, Five is new.
    Take({{"Tools", {Program("Four", "C:\\4.exe"), Program("One", "C:\\9.exe"), Program("Drei", "C:\\3.exe"),
                     Program("Five", "C:\\5.exe")}}});
    EXPECT_THAT(Changes(), ElementsAre("-button Two0", "move button Four0 to 0",
                                       "replace One0 by One0 C:\\9.exe i_C:\\9.exe",
                                       "replace Three0 by Drei0 C:\\3.exe no", "+button Five0 at 3"));
    EXPECT_THAT(Keys(live, 1), ElementsAre("Four0", "One0", "Drei0", "Five0"));
    EXPECT_THAT(window.ButtonKeys(0), ElementsAre("Four0", "One0", "Drei0", "Five0"));
}

}  // namespace
}  // namespace lark::test
