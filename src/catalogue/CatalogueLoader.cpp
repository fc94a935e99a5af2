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

class NoProgress : public IProgressWindow {
public:
    void ShowProgress(int32_t) override {}
    void SetProgress(int32_t) override {}
    void Unload() override {}
};

class NoEvents : public IEventLoop {
public:
    void DoEvents() override {}
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

void ReloadCatalogue(const CatalogueLoad& load, const std::string& path,
                     const std::function<void(bool)>& holdInput) {
    size_t lines = 0;
    Guard([&] { lines = SplitCatalogueLines(DecodeText(load.files.ReadBytes(path), load.codePage)).size(); });
    BarModel fresh;
    if (lines <= kQuietReloadLines) {
        NoProgress progress;
        NoEvents events;
        LoadCatalogue(CatalogueLoad{fresh, load.files, load.codePage, progress, events, load.pictures, load.errors,
                                    load.iconSize},
                      path);
        load.model.Take(fresh);
        return;
    }
    struct Held {
        const std::function<void(bool)>& hold;
        explicit Held(const std::function<void(bool)>& h) : hold(h) { hold(true); }
        ~Held() { hold(false); }
    } held(holdInput);
    // The progress window goes once the bar shows the file, not before.
    class LastUnload : public IProgressWindow {
    public:
        explicit LastUnload(IProgressWindow& inner) : inner_(inner) {}
        void ShowProgress(int32_t maximum) override { inner_.ShowProgress(maximum); }
        void SetProgress(int32_t value) override { inner_.SetProgress(value); }
        void Unload() override { unloaded_ = true; }
        ~LastUnload() override {
            if (unloaded_) Guard([&] { inner_.Unload(); });
        }

    private:
        IProgressWindow& inner_;
        bool unloaded_ = false;
    } progress(load.progress);
    LoadCatalogue(CatalogueLoad{fresh, load.files, load.codePage, progress, load.events, load.pictures, load.errors,
                                load.iconSize},
                  path);
    load.model.Take(fresh);
}

}  // namespace lark
