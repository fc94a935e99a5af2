// Measures a catalogue load into both bar windows: wall time and peak
// memory. Not a test: run it under Wine and read the figures.
//   load_bench [sections] [entries-per-section] [pump-interval-ms]
//   load_bench icons [N] [pump-interval-ms]
//                          N program buttons (default 2000) whose pictures
//                          are extracted: larkspan-probe.exe beside the
//                          bench, copied N times
//   load_bench startup [FILE]
//                          the program's start-up (Main) in this process,
//                          each step timed with the working set after it;
//                          copy the bench into an install folder, beside
//                          the catalogue zentrol.ini, and run it there.
//                          With FILE the figures go there, and then a
//                          window of class LarkspanBenchDone shows until
//                          the process is ended, for startup_bench to wait on
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/win32/Host.h"
#include "app/win32/RealPlatform.h"
#include "bar/win32/AppBarShellService.h"
#include "base/win32/GuiObjects.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "catalogue/CatalogueLoader.h"
#include "icons/ButtonPictures.h"
#include "startup/Program.h"

namespace {

using lark::win::CountGuiObjects;
using lark::win::GuiObjects;

// The program's windows and services as start-up leaves them before the
// catalogue is loaded: small icons, 15 twips per pixel.
struct BenchProgram {
    BenchProgram() {
        host.Attach(app);
        app.state.TwipsPerPixelX = app.state.TwipsPerPixelY = lark::TwipsPerPixel(96);
        app.state.IconSize = 1;
        host.LoadUtilityForm();
        host.HideDock();
    }
    lark::win::RealPlatform real;
    lark::win::Host host;
    lark::App app{real.platform};
};

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
    lark::ImageChoice ChooseButtonImage(const std::string&) override { return {}; }
    std::string OwnPictureKey(const std::string&) override { return {}; }
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
    void ResolvePictures(const std::map<std::string, std::string>& shown) override { inner_.ResolvePictures(shown); }
    void MoveButton(int32_t i, const std::string& k, int32_t p) override { inner_.MoveButton(i, k, p); }

    template <class F>
    void Time(const char* what, F&& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        seconds_[what] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    void Report() const {
        for (const auto& [what, secs] : seconds_) std::printf("  %-16s %.3f s\n", what.c_str(), secs);
    }
    const std::map<std::string, double>& Seconds() const { return seconds_; }

private:
    class Tabs : public lark::ITabStrip {
    public:
        explicit Tabs(TimedBar& bar) : bar_(bar) {}
        void ClearTabs() override { bar_.Time("ClearTabs", [&] { bar_.inner_.TabControl1().ClearTabs(); }); }
        void AddTab(const std::string& c, int16_t i, int32_t t, const std::string& n) override {
            bar_.Time("AddTab", [&] { bar_.inner_.TabControl1().AddTab(c, i, t, n); });
        }
        void InsertTab(int32_t p, const std::string& c, const std::string& n) override {
            bar_.Time("AddTab", [&] { bar_.inner_.TabControl1().InsertTab(p, c, n); });
        }
        void RemoveTab(int32_t p) override { bar_.inner_.TabControl1().RemoveTab(p); }
        std::string TabKey(int32_t p) const override { return bar_.inner_.TabControl1().TabKey(p); }
        int32_t TabCount() const override { return bar_.inner_.TabControl1().TabCount(); }
        int32_t CurrentTab() const override { return bar_.inner_.TabControl1().CurrentTab(); }
        void SelectTab(int32_t p) override { bar_.inner_.TabControl1().SelectTab(p); }
        void RenameTab(int32_t p, const std::string& c, const std::string& n) override {
            bar_.inner_.TabControl1().RenameTab(p, c, n);
        }

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

// ------------------------------------------------------- extracted icons

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

constexpr int kButtonsPerSection = 50;

// N entries, 50 to a section; target(i) names entry i's target.
template <class Target>
std::string MakeProgramCatalogue(int count, Target target) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i % kButtonsPerSection == 0) text += "[Section " + std::to_string(i / kButtonsPerSection) + "]\r\n";
        text += "Probe" + std::to_string(i) + "=" + target(i) + "\r\n";
    }
    return text;
}

// The real start-up path (Host, its f_Util and ButtonPictures) over a
// catalogue of N copies of the probe, against the same catalogue with
// folder targets, which need no file access.
int RunIconsBench(int count, int pumpIntervalMs) {
    const std::wstring probe = ExeFolder() + L"\\larkspan-probe.exe";
    if (GetFileAttributesW(probe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "load_bench: %s is missing\n", lark::win::Narrow(probe).c_str());
        return 1;
    }
    wchar_t tempDir[MAX_PATH];
    GetTempPathW(MAX_PATH, tempDir);
    const std::wstring folder =
        std::wstring(tempDir) + L"larkspan-bench-icons-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::string> copies;
    for (int i = 0; i < count; ++i) {
        const std::wstring copy = folder + L"\\probe" + std::to_wstring(i) + L".exe";
        if (!CopyFileW(probe.c_str(), copy.c_str(), FALSE)) {
            std::fprintf(stderr, "load_bench: copying the probe failed (%lu)\n", GetLastError());
            return 1;
        }
        copies.push_back(lark::win::Narrow(copy));
    }
    lark::win::FileSystemService files;
    const std::string programs = lark::win::Narrow(folder) + "\\programs.ini";
    const std::string folders = lark::win::Narrow(folder) + "\\folders.ini";
    files.SaveAtomically(programs, MakeProgramCatalogue(count, [&](int i) { return copies[static_cast<size_t>(i)]; }),
                         "");
    files.SaveAtomically(folders, MakeProgramCatalogue(count, [](int i) {
        return "C:\\Data\\Projects\\Folder" + std::to_string(i);
    }), "");

    BenchProgram bench;
    lark::win::Host& host = bench.host;
    lark::App& app = bench.app;
    host.InitImageLists();
    if (pumpIntervalMs >= 0) host.Events().SetInterval(static_cast<unsigned>(pumpIntervalMs));
    const GuiObjects start = CountGuiObjects();

    // A first load, then the two measured ones, both reloads of the same shape.
    host.LoadCatalogue(folders);
    const GuiObjects afterFirst = CountGuiObjects();
    auto clock = std::chrono::steady_clock::now();
    host.LoadCatalogue(programs);
    const double programSeconds = Since(clock);
    const GuiObjects afterPrograms = CountGuiObjects();
    clock = std::chrono::steady_clock::now();
    host.LoadCatalogue(folders);
    const double folderSeconds = Since(clock);
    clock = std::chrono::steady_clock::now();
    host.LoadCatalogue(programs);
    const double programAgainSeconds = Since(clock);
    const GuiObjects afterAll = CountGuiObjects();

    // The two calls the picture rule makes per button, timed on their own
    // under the keys the loads used.
    lark::win::f_Util& util = host.Util();
    std::vector<double> extractMs;
    std::vector<double> storeMs;
    int found = 0;
    for (int i = 0; i < count; ++i) {
        const std::string key = "i_" + std::to_string(i / kButtonsPerSection + 1) + "_" +
                                std::to_string(i % kButtonsPerSection + 1);
        clock = std::chrono::steady_clock::now();
        const lark::IIconSource::Found icons = util.ExtractIcons(copies[static_cast<size_t>(i)]);
        extractMs.push_back(Since(clock) * 1000.0);
        found += icons.small != 0 && icons.large != 0;
        clock = std::chrono::steady_clock::now();
        util.StorePictures(key);
        storeMs.push_back(Since(clock) * 1000.0);
    }
    const GuiObjects end = CountGuiObjects();
    // The median as well: on a busy machine a few slow calls lift the mean.
    auto mean = [](const std::vector<double>& v) {
        double sum = 0;
        for (double x : v) sum += x;
        return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
    };
    auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };

    std::printf("catalogue: %d program buttons (%d sections of %d), targets copies of larkspan-probe.exe\n", count,
                (count + kButtonsPerSection - 1) / kButtonsPerSection, kButtonsPerSection);
    if (pumpIntervalMs >= 0) std::printf("pump interval: %d ms\n", pumpIntervalMs);
    std::printf("load with extraction:          %.3f s (again: %.3f s)\n", programSeconds, programAgainSeconds);
    std::printf("same catalogue, folder targets: %.3f s\n", folderSeconds);
    std::printf("per extracted icon, load difference: %.3f ms\n",
                (programSeconds - folderSeconds) * 1000.0 / count);
    std::printf("per extracted icon, ExtractIcons + StorePictures: mean %.3f ms (%.3f + %.3f), "
                "median %.3f + %.3f ms; icons found %d of %d\n",
                mean(extractMs) + mean(storeMs), mean(extractMs), mean(storeMs), median(extractMs),
                median(storeMs), found, count);
    std::printf("pictures in the lists: %d small, %d large\n", util.imgSmall.Count(), util.imlToolbarIcons.Count());
    std::printf("GDI / USER objects: %ld / %ld before, %ld / %ld after a folder load, %ld / %ld after the first "
                "extracting load, %ld / %ld after two more loads, %ld / %ld after %d more extractions\n",
                start.gdi, start.user, afterFirst.gdi, afterFirst.user, afterPrograms.gdi, afterPrograms.user,
                afterAll.gdi, afterAll.user, end.gdi, end.user, count);

    for (const std::string& copy : copies) DeleteFileW(lark::win::Widen(copy).c_str());
    DeleteFileW(lark::win::Widen(programs).c_str());
    DeleteFileW(lark::win::Widen(folders).c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}

// ---------------------------------------------------------- start-up steps

using Clocked = std::chrono::steady_clock::time_point;

double MsBetween(Clocked from, Clocked to) { return std::chrono::duration<double, std::milli>(to - from).count(); }

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

// One row per step: its time and the working set it added. The spine's own
// work between the steps (settings, the catalogue path) adds up in a row
// of its own.
class StepLog {
public:
    StepLog() : last_(std::chrono::steady_clock::now()), lastSet_(WorkingSet()) {}

    template <class F>
    auto Step(const char* name, F&& f) {
        const Clocked start = std::chrono::steady_clock::now();
        between_ += MsBetween(last_, start);
        struct Finish {
            StepLog& log;
            const char* name;
            Clocked start;
            ~Finish() { log.Done(name, start); }
        } finish{*this, name, start};
        return f();
    }
    // A step that has already happened, from a moment before the log began.
    void Before(const char* name, double ms) { rows_.push_back({name, ms, 0}); }
    void Print(FILE* out) const {
        double total = between_;
        for (const Row& row : rows_) {
            total += row.ms;
            std::fprintf(out, "  %-52s %8.1f ms %+6.1f MiB\n", row.name.c_str(), row.ms, MiB(row.bytes));
        }
        std::fprintf(out, "  %-52s %8.1f ms\n", "Main's own work between the steps", between_);
        std::fprintf(out, "  %-52s %8.1f ms %6.1f MiB working set\n", "total", total, MiB(lastSet_));
    }

private:
    struct Row {
        std::string name;
        double ms;
        long long bytes;
    };
    void Done(const char* name, Clocked start) {
        last_ = std::chrono::steady_clock::now();
        const SIZE_T set = WorkingSet();
        rows_.push_back({name, MsBetween(start, last_),
                         static_cast<long long>(set) - static_cast<long long>(lastSet_)});
        lastSet_ = set;
    }

    Clocked last_;
    SIZE_T lastSet_;
    double between_ = 0;
    std::vector<Row> rows_;
};

class TimedPictures : public lark::IPictureRule {
public:
    TimedPictures(lark::IPictureRule& inner, Clock& clock) : inner_(inner), clock_(clock) {}
    lark::ImageChoice ChooseButtonImage(const std::string& t) override {
        lark::ImageChoice choice;
        clock_.Time("ChooseButtonImage", [&] { choice = inner_.ChooseButtonImage(t); });
        return choice;
    }
    std::string OwnPictureKey(const std::string& t) override { return inner_.OwnPictureKey(t); }

private:
    lark::IPictureRule& inner_;
    Clock& clock_;
};

// The real window layer with every step the spine asks of it timed. The
// catalogue load is Host::LoadCatalogue spelled out, to time its parts.
class TimedHost : public lark::IProgramHost {
public:
    TimedHost(lark::win::Host& host, StepLog& log) : host_(host), log_(log) {}
    void Attach(lark::App& app) { app_ = &app; }

    bool PreviousInstanceRunning() override {
        return log_.Step("PreviousInstanceRunning", [&] { return host_.PreviousInstanceRunning(); });
    }
    lark::ScreenMeasures MeasureScreen() override {
        return log_.Step("MeasureScreen", [&] { return host_.MeasureScreen(); });
    }
    std::string ProgramFolder() override { return log_.Step("ProgramFolder", [&] { return host_.ProgramFolder(); }); }
    std::string AppDataFolder() override { return log_.Step("AppDataFolder", [&] { return host_.AppDataFolder(); }); }
    void LoadUtilityForm() override {
        log_.Step("LoadUtilityForm (f_Util)", [&] { host_.LoadUtilityForm(); });
    }
    void UseColours() override { log_.Step("UseColours", [&] { host_.UseColours(); }); }
    void ImportShellFolder(int32_t folder, bool progress) override {
        log_.Step("ImportShellFolder", [&] { host_.ImportShellFolder(folder, progress); });
    }
    void InitImageLists() override { log_.Step("InitImageLists", [&] { host_.InitImageLists(); }); }
    void LoadCatalogue(const std::string& path) override {
        // The docked window is made when the bar first docks.
        log_.Step("LoadCatalogue: f_Float made", [&] { host_.Float(); });
        lark::ButtonPictures rule(app_->state);
        lark::PictureRequests requests(host_.Util(), app_->state.Bar);
        Clock clock;
        TimedPictures pictures(rule, clock);
        TimedProgress progress(host_.About(), clock);
        TimedEvents events(host_.Events(), clock);
        app_->state.Bar.Attach(requests);
        log_.Step("LoadCatalogue: the load", [&] {
            lark::LoadCatalogue(lark::CatalogueLoad{app_->state.Bar, app_->platform.Files, app_->platform.CodePage,
                                                    progress, events, pictures, app_->errors, app_->state.IconSize},
                                path);
        });
        app_->state.Bar.Detach(requests);
        loadParts_ = clock.seconds;
    }
    void BuildMainMenu() override { log_.Step("BuildMainMenu", [&] { host_.BuildMainMenu(); }); }
    void HideDock() override { log_.Step("HideDock", [&] { host_.HideDock(); }); }
    void ShowFloat() override { log_.Step("ShowFloat", [&] { host_.ShowFloat(); }); }
    void ShowConfiguredBar() override { log_.Step("ShowConfiguredBar", [&] { host_.ShowConfiguredBar(); }); }
    std::vector<lark::IForm*> LoadedForms() override { return host_.LoadedForms(); }

    void PrintLoadParts(FILE* out) const {
        std::fprintf(out, "inside the load (progress window, event pumps, picture rule):\n");
        for (const auto& [what, secs] : loadParts_)
            std::fprintf(out, "  %-24s %8.1f ms\n", what.c_str(), secs * 1000);
    }

private:
    lark::win::Host& host_;
    StepLog& log_;
    lark::App* app_ = nullptr;
    std::map<std::string, double> loadParts_;
};

// Shown once the figures are written: the window startup_bench waits for.
[[noreturn]] void ShowDoneAndWait() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LarkspanBenchDone";
    RegisterClassW(&wc);
    ShowWindow(CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"done", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                               wc.hInstance, nullptr),
               SW_SHOWNOACTIVATE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    ExitProcess(0);
}

// Ends without Shutdown: nothing is saved. The program's objects are left
// to the end of the process.
int RunStartupSteps(const char* reportPath) {
    // From the process's creation to here: loading the imported DLLs and the
    // C and C++ run-time start.
    FILETIME created{}, unused{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    auto ticks = [](FILETIME t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const double toMain = static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
    const SIZE_T atMain = WorkingSet();

    StepLog log;
    log.Before("process creation to main (DLLs, run-time)", toMain);
    // What WinMain does before the spine.
    log.Step("InitCommonControlsEx", [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                           ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
    });
    auto* real = log.Step("RealPlatform", [] { return new lark::win::RealPlatform; });
    auto* host = log.Step("Host (application icon)", [] { return new lark::win::Host; });
    // The program makes its first window in LoadUtilityForm; made here, the
    // display driver's start is not counted against the utility window.
    log.Step("first window of the process (every program pays it)", [] {
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    });
    TimedHost timed(*host, log);
    lark::App app(real->platform);
    host->Attach(app);
    timed.Attach(app);
    if (!lark::Main(app, timed)) {
        std::fprintf(stderr, "load_bench: the start-up ended early\n");
        return 1;
    }
    log.Step("first paint (messages until none left)", [&] { host->Events().PumpAll(); });

    FILE* out = reportPath ? std::fopen(reportPath, "w") : stdout;
    if (!out) {
        std::fprintf(stderr, "load_bench: cannot write %s\n", reportPath);
        return 1;
    }
    std::fprintf(out, "start-up steps in this process (working set at main: %.1f MiB)\n", MiB(atMain));
    log.Print(out);
    timed.PrintLoadParts(out);
    std::fprintf(out, "tabs %d, toolbars %zu on the floating window\n",
                 host->Float().Content().TabControl1().TabCount(), host->Float().Content().ToolbarIndices().size());
    if (!reportPath) {
        std::fflush(stdout);
        ExitProcess(0);
    }
    std::fclose(out);
    ShowDoneAndWait();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "startup") return RunStartupSteps(argc > 2 ? argv[2] : nullptr);
    if (argc > 1 && std::string(argv[1]) == "icons") {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        return RunIconsBench(argc > 2 ? std::atoi(argv[2]) : 2000, argc > 3 ? std::atoi(argv[3]) : -1);
    }
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
    files.SaveAtomically(path, catalogue, "");
    lark::win::AnsiCodePageService codePage;
    size_t lines = 0;
    for (size_t i = 0; i + 1 < catalogue.size(); ++i) lines += catalogue[i] == '\r' && catalogue[i + 1] == '\n';

    BenchProgram bench;
    lark::win::Host& host = bench.host;
    lark::App& app = bench.app;
    host.Events().SetInterval(interval);

    PROCESS_MEMORY_COUNTERS_EX before{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before), sizeof before);
    const auto start = std::chrono::steady_clock::now();
    TimedBar dock(host.Dock().Content());
    TimedBar floating(host.Float().Content());
    lark::BarWindowView dockView(dock), floatingView(floating);
    lark::BarModel model;
    model.Attach(dockView);
    model.Attach(floatingView);
    NoProgress noProgress;
    NoPictures pictures;
    lark::IProgressWindow& progress = withProgress ? static_cast<lark::IProgressWindow&>(host.About()) : noProgress;
    Clock clock;
    TimedProgress timedProgress(progress, clock);
    TimedEvents timedEvents(host.Events(), clock);
    lark::LoadCatalogue(lark::CatalogueLoad{model, files, codePage, timedProgress, timedEvents, pictures, app.errors, 1},
                        path);
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
