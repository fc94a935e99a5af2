// The reference of the start-up benchmark: an empty tool window styled as
// the bar's floating window (caption, sizing frame, WS_EX_TOOLWINDOW, the
// same class background, cursor and icon) and a message loop. It is built
// with the bar's static flags and embeds the bar's own manifest (common
// controls v6, asInvoker, supportedOS entries, system DPI awareness), so
// what it takes to show is what Wine spends on any such program.
//
// Without options it imports kernel32, user32 and the C runtime only. Each
// option adds one thing the bar does before its first paint, so that the
// start-up benchmark can price it against the plain window:
//   --load DLL[,DLL...]  load these DLLs, as the bar's imports are loaded
//   --controls           InitCommonControlsEx with the bar's control classes
//   --com                CoInitializeEx, apartment-threaded
//   --ole                OleInitialize
//   --tabs N             a tab strip with N tabs
//   --toolbar N          a toolbar of N buttons over a 16-pixel image list
//                        of N resource icons
//   --windows N          N more top-level windows, made and left hidden
//   --log FILE           write the time of each step, in ms, as "name ms"
//                        lines once the window is shown; "to_main" is the
//                        time from the process's creation to wWinMain
// Functions of DLLs beyond user32 are looked up at run time, so that an
// option is the only way their cost enters. Built with
// LARKSPAN_BENCH_IMPORTS, it imports the system DLLs the bar once imported
// at start, the shell's and COM's among them (without comdlg32 when
// LARKSPAN_BENCH_NO_COMDLG32 is defined too), so they load and initialise
// before wWinMain: what importing them late saves.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#ifdef LARKSPAN_BENCH_IMPORTS
#include <shellapi.h>
#ifndef LARKSPAN_BENCH_NO_COMDLG32
#include <commdlg.h>
#endif
#include <winver.h>

// One function of each DLL, never called: the reference is what imports them.
extern "C" __attribute__((used)) void* const larkspanBenchImports[] = {
    reinterpret_cast<void*>(&InitCommonControlsEx), reinterpret_cast<void*>(&CoInitializeEx),
    reinterpret_cast<void*>(&ShellExecuteW),        reinterpret_cast<void*>(&GetFileVersionInfoSizeW),
    reinterpret_cast<void*>(&RegOpenKeyExW),        reinterpret_cast<void*>(&CreateCompatibleDC),
#ifndef LARKSPAN_BENCH_NO_COMDLG32
    reinterpret_cast<void*>(&GetOpenFileNameW),
#endif
};
#endif

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

struct Options {
    std::wstring load;
    bool controls = false;
    bool com = false;
    bool ole = false;
    int tabs = 0;
    int toolbarButtons = 0;
    int windows = 0;
    std::wstring log;
};

Options Parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const wchar_t* next = i + 1 < argc ? argv[i + 1] : L"";
        if (arg == L"--load") {
            o.load = next, ++i;
        } else if (arg == L"--controls") {
            o.controls = true;
        } else if (arg == L"--com") {
            o.com = true;
        } else if (arg == L"--ole") {
            o.ole = true;
        } else if (arg == L"--tabs") {
            o.tabs = _wtoi(next), ++i;
        } else if (arg == L"--toolbar") {
            o.toolbarButtons = _wtoi(next), ++i;
        } else if (arg == L"--windows") {
            o.windows = _wtoi(next), ++i;
        } else if (arg == L"--log") {
            o.log = next, ++i;
        }
    }
    // Controls need their classes registered.
    if (o.tabs > 0 || o.toolbarButtons > 0) o.controls = true;
    return o;
}

template <class F>
F Lookup(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryW(dll);
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

void LoadDlls(const std::wstring& list) {
    size_t start = 0;
    while (start < list.size()) {
        size_t comma = list.find(L',', start);
        if (comma == std::wstring::npos) comma = list.size();
        const std::wstring name = list.substr(start, comma - start);
        if (!name.empty()) LoadLibraryW(name.c_str());
        start = comma + 1;
    }
}

void AddTabs(HWND window, int count) {
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 480, 24,
                                window, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < count; ++i) {
        std::wstring caption = L"Section " + std::to_wstring(i + 1);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

void AddToolbar(HWND window, int count) {
    using Create = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
    using Replace = int(WINAPI*)(HIMAGELIST, int, HICON);
    const auto create = Lookup<Create>(L"comctl32.dll", "ImageList_Create");
    const auto replace = Lookup<Replace>(L"comctl32.dll", "ImageList_ReplaceIcon");
    if (!create || !replace) return;
    HIMAGELIST images = create(16, 16, ILC_COLOR32 | ILC_MASK, count, 16);
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
    for (int i = 0; i < count; ++i) replace(images, -1, icon);
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                       CCS_NODIVIDER | CCS_NOPARENTALIGN,
                                   0, 24, 480, 26, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        button.iBitmap = i;
        button.idCommand = 100 + i;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON;
        button.iString = -1;
        SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
}

class StepTimes {
public:
    StepTimes() { QueryPerformanceFrequency(&frequency_); }

    template <class F>
    void Time(const char* name, F&& f) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        f();
        QueryPerformanceCounter(&end);
        Add(name, static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart));
    }
    void Add(const char* name, double ms) {
        char line[96];
        std::snprintf(line, sizeof line, "%s %.2f\n", name, ms);
        text_ += line;
    }
    void Write(const std::wstring& path) const {
        if (FILE* f = _wfopen(path.c_str(), L"wb")) {
            std::fputs(text_.c_str(), f);
            std::fclose(f);
        }
    }

private:
    LARGE_INTEGER frequency_{};
    std::string text_;
};

double MsSinceCreation() {
    FILETIME created{}, unused{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    GetSystemTimePreciseAsFileTime(&now);
    auto ticks = [](FILETIME t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    StepTimes steps;
    steps.Add("to_main", MsSinceCreation());
    const Options o = Parse(__argc, __wargv);
    if (!o.load.empty()) steps.Time("load", [&] { LoadDlls(o.load); });
    if (o.controls) {
        steps.Time("controls", [] {
            using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
            // The classes the bar registers at start.
            INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                             ICC_PROGRESS_CLASS};
            if (const auto init = Lookup<Init>(L"comctl32.dll", "InitCommonControlsEx")) init(&classes);
        });
    }
    if (o.com) {
        steps.Time("com", [] {
            using Init = HRESULT(WINAPI*)(void*, DWORD);
            if (const auto init = Lookup<Init>(L"ole32.dll", "CoInitializeEx"))
                init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        });
    }
    if (o.ole) {
        steps.Time("ole", [] {
            using Init = HRESULT(WINAPI*)(void*);
            if (const auto init = Lookup<Init>(L"ole32.dll", "OleInitialize")) init(nullptr);
        });
    }

    HICON icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"LarkspanBenchReference";
    wc.hIcon = icon;
    wc.hIconSm = icon;
    if (!RegisterClassExW(&wc)) return 1;
    HWND window = nullptr;
    // Where and how large a fresh user's floating bar shows on 1024 x 768.
    steps.Time("window", [&] {
        window = CreateWindowExW(kExStyle, wc.lpszClassName, L"Larkspan reference", kStyle, 512, 384, 500, 73,
                                 nullptr, nullptr, instance, nullptr);
    });
    if (!window) return 1;
    if (o.windows > 0) {
        steps.Time("windows", [&] {
            for (int i = 0; i < o.windows; ++i)
                CreateWindowExW(kExStyle, wc.lpszClassName, L"hidden", kStyle, 0, 0, 500, 73, nullptr, nullptr,
                                instance, nullptr);
        });
    }
    if (o.tabs > 0) steps.Time("tabs", [&] { AddTabs(window, o.tabs); });
    if (o.toolbarButtons > 0) steps.Time("toolbar", [&] { AddToolbar(window, o.toolbarButtons); });
    steps.Time("show", [&] { ShowWindow(window, SW_SHOWNORMAL); });
    if (!o.log.empty()) steps.Write(o.log);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
