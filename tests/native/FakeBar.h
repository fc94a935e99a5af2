#pragma once
// An in-memory bar window with the same failure rules as the real one.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/BarWindow.h"
#include "base/PictureRule.h"
#include "base/ProgressWindow.h"
#include "base/RuntimeError.h"
#include "base/UiPorts.h"

namespace lark::test {

class FakeTabStrip : public ITabStrip {
public:
    struct Tab {
        std::string caption;
        std::string name;
    };
    void ClearTabs() override {
        tabs.clear();
        current = 0;
    }
    void AddTab(const std::string& caption, int16_t, int32_t, const std::string& name) override {
        if (failAdd) Raise(kErrInvalidCall);
        tabs.push_back({caption, name});
        if (current == 0) current = 1;
    }
    void InsertTab(int32_t position, const std::string& caption, const std::string& name) override {
        Check(position);
        if (failAdd) Raise(kErrInvalidCall);
        tabs.insert(tabs.begin() + (position - 1), {caption, name});
        if (current >= position) ++current;
    }
    void RemoveTab(int32_t position) override {
        Check(position);
        tabs.erase(tabs.begin() + (position - 1));
        if (current > TabCount()) current = TabCount();
    }
    std::string TabKey(int32_t position) const override {
        Check(position);
        return tabs[static_cast<size_t>(position - 1)].name;
    }
    int32_t TabCount() const override { return static_cast<int32_t>(tabs.size()); }
    int32_t CurrentTab() const override { return current; }
    void SelectTab(int32_t position) override {
        Check(position);
        current = position;
    }
    void RenameTab(int32_t position, const std::string& caption, const std::string& name) override {
        Check(position);
        tabs[static_cast<size_t>(position - 1)] = {caption, name};
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const Tab& t : tabs) out.push_back(t.name);
        return out;
    }

    std::vector<Tab> tabs;
    int32_t current = 0;
    bool failAdd = false;

private:
    void Check(int32_t position) const {
        if (position < 1 || position > TabCount()) Raise(kErrIndexOutOfBounds);
    }
};

class FakeBar : public IBarWindow {
public:
    struct Button {
        std::string key;
        std::string image;
        ButtonTag tag;
        std::string tip;
    };
    struct Toolbar {
        std::string tag;
        bool visible = false;
        std::optional<ImageListSize> images;
        std::vector<Button> buttons;
        std::map<std::string, size_t> keys;  // position by key: fast on huge catalogues
    };

    FakeBar() { toolbars[0] = Toolbar{}; }
    bool failDiscard = false;

    ITabStrip& TabControl1() override { return tabs; }
    std::vector<int32_t> ToolbarIndices() const override {
        std::vector<int32_t> out;
        for (const auto& [index, bar] : toolbars) out.push_back(index);
        return out;
    }
    bool HasToolbar(int32_t index) const override { return toolbars.count(index) != 0; }
    void CreateToolbar(int32_t index) override {
        if (HasToolbar(index)) Raise(kErrAlreadyLoaded);
        toolbars[index] = Toolbar{};
    }
    void DiscardToolbar(int32_t index) override {
        if (index == 0 || failDiscard) Raise(kErrCantUnloadElement);
        At(index);
        toolbars.erase(index);
    }
    void ClearButtons(int32_t index) override {
        At(index).buttons.clear();
        At(index).keys.clear();
    }
    void SetToolbarTag(int32_t index, const std::string& tag) override { At(index).tag = tag; }
    std::string ToolbarTag(int32_t index) const override { return At(index).tag; }
    void BindImageList(int32_t index, ImageListSize size) override { At(index).images = size; }
    void SetToolbarVisible(int32_t index, bool visible) override { At(index).visible = visible; }
    bool ToolbarVisible(int32_t index) const override { return At(index).visible; }
    void BringToolbarToFront(int32_t index) override { At(index); }
    void AddButton(int32_t index, const std::string& key, const std::string& imageKey) override {
        Toolbar& bar = At(index);
        if (!bar.keys.emplace(key, bar.buttons.size()).second) Raise(kErrKeyNotUnique);
        bar.buttons.push_back({key, imageKey, {}, {}});
    }
    void RemoveButton(int32_t index, const std::string& key) override {
        Toolbar& bar = At(index);
        auto it = std::find_if(bar.buttons.begin(), bar.buttons.end(), [&](const Button& b) { return b.key == key; });
        if (it == bar.buttons.end()) Raise(kErrElementNotFound);
        bar.buttons.erase(it);
        Reindex(bar);
    }
    void MoveButton(int32_t index, const std::string& key, int32_t position) override {
        Toolbar& bar = At(index);
        Button button = Must(index, key);
        bar.buttons.erase(bar.buttons.begin() + static_cast<std::ptrdiff_t>(bar.keys.at(key)));
        const size_t to = std::min(static_cast<size_t>(std::max(position, 0)), bar.buttons.size());
        bar.buttons.insert(bar.buttons.begin() + static_cast<std::ptrdiff_t>(to), std::move(button));
        Reindex(bar);
    }
    void SetButtonTag(int32_t index, const std::string& key, const ButtonTag& tag) override {
        Must(index, key).tag = tag;
    }
    void SetButtonToolTip(int32_t index, const std::string& key, const std::string& text) override {
        Must(index, key).tip = text;
    }
    ButtonTag GetButtonTag(int32_t index, const std::string& key) const override {
        return const_cast<FakeBar*>(this)->Must(index, key).tag;
    }
    std::string GetButtonToolTip(int32_t index, const std::string& key) const override {
        return const_cast<FakeBar*>(this)->Must(index, key).tip;
    }
    std::string GetButtonImage(int32_t index, const std::string& key) const override {
        return const_cast<FakeBar*>(this)->Must(index, key).image;
    }
    std::vector<std::string> ButtonKeys(int32_t index) const override {
        std::vector<std::string> out;
        for (const Button& b : At(index).buttons) out.push_back(b.key);
        return out;
    }
    void ResolvePictures(const std::map<std::string, std::string>& shown) override {
        for (auto& [index, toolbar] : toolbars)
            for (Button& b : toolbar.buttons)
                if (auto it = shown.find(b.image); it != shown.end()) b.image = it->second;
    }

    Toolbar& At(int32_t index) {
        auto it = toolbars.find(index);
        if (it == toolbars.end()) Raise(kErrNoSuchControl);
        return it->second;
    }
    const Toolbar& At(int32_t index) const { return const_cast<FakeBar*>(this)->At(index); }

    FakeTabStrip tabs;
    std::map<int32_t, Toolbar> toolbars;

private:
    static void Reindex(Toolbar& bar) {
        bar.keys.clear();
        for (size_t i = 0; i < bar.buttons.size(); ++i) bar.keys[bar.buttons[i].key] = i;
    }
    static Button* Find(Toolbar& bar, const std::string& key) {
        auto it = bar.keys.find(key);
        return it == bar.keys.end() ? nullptr : &bar.buttons[it->second];
    }
    Button& Must(int32_t index, const std::string& key) {
        Button* b = Find(At(index), key);
        if (!b) Raise(kErrElementNotFound);
        return *b;
    }
};

class FakeProgress : public IProgressWindow {
public:
    void ShowProgress(int32_t maximum) override {
        shown = true;
        max = maximum;
        values.clear();
    }
    void SetProgress(int32_t value) override { values.push_back(value); }
    void Unload() override {
        shown = false;
        ++unloads;
    }
    bool shown = false;
    int32_t max = -1;
    std::vector<int32_t> values;
    int unloads = 0;
};

class FakeEvents : public IEventLoop {
public:
    void DoEvents() override { ++calls; }
    int calls = 0;
};

// Folders (no ".") get "folder", names listed in cached get their type key;
// anything else is "extracted": "i_" and the target when it is listed in
// withIcons, "no" otherwise (as its pictures arrive).
class FakePictures : public IPictureRule {
public:
    ImageChoice ChooseButtonImage(const std::string& target) override {
        calls.push_back(target);
        const size_t dot = target.rfind('.');
        if (dot == std::string::npos) return {"folder", false};
        std::string type = target.substr(dot + 1);
        std::transform(type.begin(), type.end(), type.begin(), ::toupper);
        if (std::find(cached.begin(), cached.end(), type) != cached.end()) return {type, false};
        const bool icon = std::find(withIcons.begin(), withIcons.end(), target) != withIcons.end();
        return {icon ? OwnPictureKey(target) : "no", true};
    }
    std::string OwnPictureKey(const std::string& target) override { return "i_" + target; }
    std::vector<std::string> cached;
    std::vector<std::string> withIcons;
    std::vector<std::string> calls;
};

}  // namespace lark::test
