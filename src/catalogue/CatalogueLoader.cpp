#include "catalogue/CatalogueLoader.h"

#include "base/BarInput.h"
#include "catalogue/CatalogueFormat.h"

namespace lark {
namespace {

// A run-time error either ends the load (stop) or skips the failing step
// (ignore). The loader switches between the two as it goes.
class ErrorMode {
public:
    void Stop() { ignore_ = false; }
    void Ignore() { ignore_ = true; }

    template <class Step>
    void Run(Step&& step) {
        if (ignore_) {
            Guard(step);
        } else {
            step();
        }
    }

private:
    bool ignore_ = false;
};

class Loader {
public:
    explicit Loader(const CatalogueLoad& load) : load_(load), bars_{&load.dock, &load.floating} {}

    void Run(const std::string& path) {
        try {
            EmptyBars();
            if (!path.empty() && !ReadLines(path)) return;  // an empty file: nothing more happens
        } catch (...) {
            const RuntimeError error = CurrentError();
            load_.errors.ShowError(std::to_string(error.Number()) + ":" + error.Description(), error);
        }
        Finish();
    }

private:
    void EmptyBars() {
        for (IBarWindow* bar : bars_) {
            bar->ClearButtons(0);
            bar->TabControl1().ClearTabs();
        }
        for (IBarWindow* bar : bars_) UnloadExtraToolbars(*bar);
    }

    // False when the file is empty.
    bool ReadLines(const std::string& path) {
        const std::string content = DecodeText(load_.files.ReadBytes(path), load_.codePage);
        const std::vector<std::string_view> lines = SplitCatalogueLines(content);
        if (lines.empty()) return false;
        const auto lastIndex = static_cast<int32_t>(lines.size() - 1);
        load_.progress.ShowProgress(lastIndex);
        load_.events.DoEvents();
        for (int32_t i = 0; i <= lastIndex; ++i) {
            load_.progress.SetProgress(i + 1 > lastIndex ? 0 : i + 1);
            load_.events.DoEvents();
            const std::string_view line = lines[static_cast<size_t>(i)];
            EntryLine entry;
            if (IsSectionHeader(line)) {
                Header(SectionName(line));
            } else if (!currentSection_.empty() && SplitEntry(line, entry)) {
                Entry(entry);
            }
        }
        return true;
    }

    void Header(std::string_view name) {
        currentSection_ = std::string(name);
        buttonCount_ = 0;
        for (IBarWindow* bar : bars_) bar->TabControl1().AddTab(currentSection_, -1, -1, currentSection_);
        if (sectionCount_ > 0) {
            for (IBarWindow* bar : bars_) {
                Guard([&] { bar->CreateToolbar(sectionCount_); });  // 360: it is there already
                Guard([&] { bar->ClearButtons(sectionCount_); });
            }
        }
        mode_.Stop();
        for (IBarWindow* bar : bars_) bar->SetToolbarTag(sectionCount_, currentSection_);
        if (load_.iconSize == 0 || load_.iconSize == 1) {
            const ImageListSize size = load_.iconSize == 0 ? ImageListSize::Large : ImageListSize::Small;
            for (IBarWindow* bar : bars_) bar->BindImageList(sectionCount_, size);
        }
        ++sectionCount_;
    }

    void Entry(const EntryLine& line) {
        const std::string key(line.key);
        EntryValue value = ParseEntryValue(line.value);
        std::string imageKey;
        if (value.arguments.empty()) {
            ++buttonCount_;
            value.target = std::string(line.value);
            mode_.Ignore();
            const ImageChoice choice = load_.pictures.ChooseButtonImage(value.target, sectionCount_, buttonCount_);
            imageKey = choice.key;
            if (choice.extracted) mode_.Stop();
        } else {
            imageKey = "no";
        }
        const int32_t toolbar = sectionCount_ - 1;
        const std::string buttonKey = key + std::to_string(toolbar);
        bool added[2] = {false, false};
        for (int b = 0; b < 2; ++b)
            mode_.Run([&] {
                bars_[b]->AddButton(toolbar, buttonKey, imageKey);
                added[b] = true;
            });
        // A button whose add was skipped is not there; the earlier button
        // under the same key keeps its own target.
        for (int b = 0; b < 2; ++b) {
            if (!added[b]) continue;
            mode_.Run([&] { bars_[b]->SetButtonTag(toolbar, buttonKey, ButtonTag{value.target, value.arguments}); });
            mode_.Run([&] { bars_[b]->SetButtonToolTip(toolbar, buttonKey, key); });
        }
        // Each entry starts in stop mode: a failure in a later entry is
        // reported rather than skipped because an earlier one needed no icon.
        mode_.Stop();
    }

    void Finish() {
        for (IBarWindow* bar : bars_) Guard([&] { bar->SetToolbarVisible(0, true); });
        Guard([&] { load_.progress.Unload(); });
    }

    const CatalogueLoad& load_;
    IBarWindow* bars_[2];
    ErrorMode mode_;
    std::string currentSection_;
    int16_t sectionCount_ = 0;
    int16_t buttonCount_ = 0;
};

}  // namespace

void LoadCatalogue(const CatalogueLoad& load, const std::string& path) { Loader(load).Run(path); }

}  // namespace lark
