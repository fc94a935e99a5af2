// Measures a catalogue load into both bar windows: wall time and peak
// memory. Not a test: run it under Wine and read the figures.
//   load_bench [sections] [entries-per-section] [pump-interval-ms]
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/Program.h"
#include "app/win32/Host.h"
#include "app/win32/Services.h"
#include "app/win32/Text.h"
#include "bar/win32/AppBarShellService.h"
#include "catalogue/CatalogueLoader.h"
#include "catalogue/win32/ProfileFileService.h"

namespace {

std::string MakeCatalogue(int sections, int entries) {
    std::string text;
    text.reserve(static_cast<size_t>(sections) * static_cast<size_t>(entries + 1) * 40);
    for (int s = 0; s < sections; ++s) {
        text += "[Section " + std::to_string(s) + "]\r\n";
        for (int e = 0; e < entries; ++e)
            text += "Folder" + std::to_string(e) + "=C:\\Data\\Projects\\Folder" + std::to_string(e) + "\r\n";
    }
    return text;
}

// Stands in for the About box to measure the load without it.
class NoProgress : public lark::IProgressWindow {
public:
    void ShowProgress(int32_t) override {}
    void SetProgress(int32_t) override {}
    void Unload() override {}
};

class NoPictures : public lark::IPictureRule {
public:
    lark::ImageChoice ChooseButtonImage(const std::string&, int16_t, int16_t) override { return {}; }
};

// Forwards to a real bar window and adds up the time each kind of call takes.
class TimedBar : public lark::IBarWindow {
public:
    explicit TimedBar(lark::IBarWindow& inner) : inner_(inner), tabs_(*this) {}
    lark::ITabStrip& TabControl1() override { return tabs_; }
    std::vector<int32_t> ToolbarIndices() const override { return inner_.ToolbarIndices(); }
    bool HasToolbar(int32_t i) const override { return inner_.HasToolbar(i); }
    void CreateToolbar(int32_t i) override { Time("CreateToolbar", [&] { inner_.CreateToolbar(i); }); }
    void DiscardToolbar(int32_t i) override { Time("DiscardToolbar", [&] { inner_.DiscardToolbar(i); }); }
    void ClearButtons(int32_t i) override { Time("ClearButtons", [&] { inner_.ClearButtons(i); }); }
    void SetToolbarTag(int32_t i, const std::string& t) override { inner_.SetToolbarTag(i, t); }
    std::string ToolbarTag(int32_t i) const override { return inner_.ToolbarTag(i); }
    void BindImageList(int32_t i, lark::ImageListSize s) override {
        Time("BindImageList", [&] { inner_.BindImageList(i, s); });
    }
    void SetToolbarVisible(int32_t i, bool v) override { Time("SetVisible", [&] { inner_.SetToolbarVisible(i, v); }); }
    bool ToolbarVisible(int32_t i) const override { return inner_.ToolbarVisible(i); }
    void BringToolbarToFront(int32_t i) override { inner_.BringToolbarToFront(i); }
    void AddButton(int32_t i, const std::string& k, const std::string& im) override {
        Time("AddButton", [&] { inner_.AddButton(i, k, im); });
    }
    void RemoveButton(int32_t i, const std::string& k) override { inner_.RemoveButton(i, k); }
    void SetButtonTag(int32_t i, const std::string& k, const lark::ButtonTag& t) override {
        Time("SetButtonTag", [&] { inner_.SetButtonTag(i, k, t); });
    }
    void SetButtonToolTip(int32_t i, const std::string& k, const std::string& t) override {
        Time("SetButtonToolTip", [&] { inner_.SetButtonToolTip(i, k, t); });
    }
    lark::ButtonTag GetButtonTag(int32_t i, const std::string& k) const override { return inner_.GetButtonTag(i, k); }
    std::string GetButtonToolTip(int32_t i, const std::string& k) const override {
        return inner_.GetButtonToolTip(i, k);
    }
    std::string GetButtonImage(int32_t i, const std::string& k) const override { return inner_.GetButtonImage(i, k); }
    std::vector<std::string> ButtonKeys(int32_t i) const override { return inner_.ButtonKeys(i); }

    template <class F>
    void Time(const char* what, F&& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        seconds_[what] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    void Report() const {
        for (const auto& [what, secs] : seconds_) std::printf("  %-16s %.3f s\n", what.c_str(), secs);
    }

private:
    class Tabs : public lark::ITabStrip {
    public:
        explicit Tabs(TimedBar& bar) : bar_(bar) {}
        void ClearTabs() override { bar_.Time("ClearTabs", [&] { bar_.inner_.TabControl1().ClearTabs(); }); }
        void AddTab(const std::string& c, int16_t i, int32_t t, const std::string& n) override {
            bar_.Time("AddTab", [&] { bar_.inner_.TabControl1().AddTab(c, i, t, n); });
        }
        void RemoveTab(int32_t p) override { bar_.inner_.TabControl1().RemoveTab(p); }
        std::string TabKey(int32_t p) const override { return bar_.inner_.TabControl1().TabKey(p); }
        int32_t TabCount() const override { return bar_.inner_.TabControl1().TabCount(); }
        int32_t CurrentTab() const override { return bar_.inner_.TabControl1().CurrentTab(); }
        void SelectTab(int32_t p) override { bar_.inner_.TabControl1().SelectTab(p); }

    private:
        TimedBar& bar_;
    };

    lark::IBarWindow& inner_;
    Tabs tabs_;
    std::map<std::string, double> seconds_;
};

struct Clock {
    std::map<std::string, double> seconds;
    template <class F>
    void Time(const char* what, F&& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        seconds[what] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

class TimedProgress : public lark::IProgressWindow {
public:
    TimedProgress(lark::IProgressWindow& inner, Clock& clock) : inner_(inner), clock_(clock) {}
    void ShowProgress(int32_t m) override { clock_.Time("ShowProgress", [&] { inner_.ShowProgress(m); }); }
    void SetProgress(int32_t v) override { clock_.Time("SetProgress", [&] { inner_.SetProgress(v); }); }
    void Unload() override { clock_.Time("Unload", [&] { inner_.Unload(); }); }

private:
    lark::IProgressWindow& inner_;
    Clock& clock_;
};

class TimedEvents : public lark::IEventLoop {
public:
    TimedEvents(lark::IEventLoop& inner, Clock& clock) : inner_(inner), clock_(clock) {}
    void DoEvents() override { clock_.Time("DoEvents", [&] { inner_.DoEvents(); }); }

private:
    lark::IEventLoop& inner_;
    Clock& clock_;
};

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
    const int sections = argc > 1 ? std::atoi(argv[1]) : 500;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 64;
    const unsigned interval = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 15;
    const bool withProgress = !(argc > 4 && std::string(argv[4]) == "noprogress");

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    wchar_t tempDir[MAX_PATH];
    GetTempPathW(MAX_PATH, tempDir);
    const std::string path = lark::win::Narrow(tempDir) + "larkspan-bench.ini";
    lark::win::FileSystemService files;
    const std::string catalogue = MakeCatalogue(sections, entries);
    files.WriteAll(path, catalogue);
    size_t lines = 0;
    for (size_t i = 0; i + 1 < catalogue.size(); ++i) lines += catalogue[i] == '\r' && catalogue[i + 1] == '\n';

    lark::win::MessageBoxService messageBox;
    lark::win::MousePointerService pointer;
    lark::win::RegistrySettingsStore settings;
    lark::win::ProfileFileService profile;
    lark::win::AppBarShellService appBar;
    lark::Platform platform{messageBox, pointer, settings, files, profile, appBar};
    lark::win::Host host;
    lark::App app(platform, host);
    host.Attach(app);
    app.state.TwipsPerPixelX = app.state.TwipsPerPixelY = 15;
    app.state.IconSize = 1;
    host.LoadUtilityForm();
    host.HideDock();
    host.Events().SetInterval(interval);

    PROCESS_MEMORY_COUNTERS_EX before{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before), sizeof before);
    const auto start = std::chrono::steady_clock::now();
    TimedBar dock(host.Dock().Content());
    TimedBar floating(host.Float().Content());
    NoProgress noProgress;
    NoPictures pictures;
    lark::IProgressWindow& progress = withProgress ? static_cast<lark::IProgressWindow&>(host.About()) : noProgress;
    Clock clock;
    TimedProgress timedProgress(progress, clock);
    TimedEvents timedEvents(host.Events(), clock);
    lark::LoadCatalogue(
        lark::CatalogueLoad{dock, floating, files, timedProgress, timedEvents, pictures, app.errors, 1}, path);
    const auto end = std::chrono::steady_clock::now();
    PROCESS_MEMORY_COUNTERS_EX after{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&after), sizeof after);

    const double seconds = std::chrono::duration<double>(end - start).count();

    // What start-up does next: show the floating bar, whose tabs reach the
    // control at its first paint.
    app.state.FloatLeft = 1500;
    app.state.FloatTop = 1500;
    app.state.FloatWidth = 9000;
    const auto showStart = std::chrono::steady_clock::now();
    host.ShowFloat();
    RedrawWindow(host.Float().Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double showSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - showStart).count();
    std::printf("catalogue: %d sections x %d entries, %zu lines (%zu read)\n", sections, entries, lines,
                lines < 32501 ? lines : size_t{32501});
    std::printf("pump interval: %u ms, progress window: %s\n", interval, withProgress ? "yes" : "no");
    std::printf("load time: %.3f s\n", seconds);
    std::printf("showing the floating bar after it: %.3f s\n", showSeconds);
    std::printf("time in the progress window and the event loop:\n");
    for (const auto& [what, secs] : clock.seconds) std::printf("  %-16s %.3f s\n", what.c_str(), secs);
    std::printf("time in the docked window's calls:\n");
    dock.Report();
    std::printf("time in the floating window's calls:\n");
    floating.Report();
    std::printf("peak working set: %.1f MiB (%.1f MiB before the load)\n", MiB(after.PeakWorkingSetSize),
                MiB(before.WorkingSetSize));
    std::printf("private bytes after the load: %.1f MiB\n", MiB(after.PrivateUsage));
    std::printf("tabs on the floating window: %d\n", host.Float().Content().TabControl1().TabCount());
    std::printf("GDI objects: %lu, USER objects: %lu\n", GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    DeleteFileW(lark::win::Widen(path).c_str());
    return 0;
}
