#include "catalogue/CatalogueLoader.h"

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
    explicit Loader(const CatalogueLoad& load) : load_(load), model_(load.model) {}

    void Run(const std::string& path) {
        try {
            model_.Clear();
            if (load_.iconSize == 0 || load_.iconSize == 1)
                model_.ChooseImageSize(load_.iconSize == 0 ? ImageListSize::Large : ImageListSize::Small);
            if (!path.empty() && !ReadLines(path)) return;  // an empty file: nothing more happens
        } catch (...) {
            const RuntimeError error = CurrentError();
            load_.errors.ShowError(std::to_string(error.Number()) + ":" + error.Description(), error);
        }
        Finish();
    }

private:
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
        mode_.Stop();
        toolbar_ = sectionCount_++;
        model_.AddSection(currentSection_, toolbar_);
    }

    void Entry(const EntryLine& line) {
        BarButton button;
        button.name = std::string(line.key);
        EntryValue value = ParseEntryValue(line.value);
        if (value.arguments.empty()) {
            value.target = std::string(line.value);
            mode_.Ignore();
            const ImageChoice choice = load_.pictures.ChooseButtonImage(value.target);
            button.picture = choice.key;
            button.extracted = choice.extracted;
            if (choice.extracted) mode_.Stop();
        } else {
            button.picture = "no";
        }
        button.target = std::move(value.target);
        button.arguments = std::move(value.arguments);
        // A button whose add was skipped is not there; the earlier button
        // under the same key keeps its own target.
        mode_.Run([&] { model_.AddButton(toolbar_, std::move(button)); });
        // Each entry starts in stop mode: a failure in a later entry is
        // reported rather than skipped because an earlier one needed no icon.
        mode_.Stop();
    }

    void Finish() {
        Guard([&] { model_.ShowSection(1); });
        Guard([&] { load_.progress.Unload(); });
    }

    const CatalogueLoad& load_;
    BarModel& model_;
    ErrorMode mode_;
    std::string currentSection_;
    int16_t sectionCount_ = 0;
    int32_t toolbar_ = 0;
};

}  // namespace

void LoadCatalogue(const CatalogueLoad& load, const std::string& path) { Loader(load).Run(path); }

void ReloadCatalogue(const CatalogueLoad& load, const std::string& path) {
    BarModel fresh;
    LoadCatalogue(CatalogueLoad{fresh, load.files, load.codePage, load.progress, load.events, load.pictures,
                                load.errors, load.iconSize},
                  path);
    load.model.Take(fresh);
}

}  // namespace lark
