// Times one start of a windowed program from inside Wine: from just before
// CreateProcess to the moments its window is up, usable and showing every
// picture, and reads its working set. Not a test: scripts/bench.sh runs it
// many times, alternating the bar with the reference window.
//
//   startup_bench --exe PATH --class C [--dir DIR] [--args A]
//                 [--buttons N] [--pictures] [--placeholder-image I]
//                 [--fresh-settings KEY] [--settle-ms M] [--timeout-ms T]
//                 [--wait-file PATH]
//
// The moments, in milliseconds since process creation:
//   visible   a visible top-level window of class C belonging to the
//             process has answered a sent message (its thread waits for
//             messages again) and has no update region left: it is shown
//             and has painted itself.
//   usable    also a visible toolbar child holding N buttons (--buttons N).
//             The bar hands a toolbar its buttons at its first paint, so
//             this is the shown section's first paint. Without --buttons it
//             is the visible moment.
//   pictures  also every button of that toolbar shows a picture of its own:
//             an image index that is neither negative nor the placeholder's
//             (--placeholder-image, default 0: the first picture of the
//             bar's lists, "no", which a button waits on). Only meaningful
//             when every target has an icon. Reading a button takes a
//             cross-process round trip, so the moment is bracketed: the
//             last time a button was seen waiting (or the usable moment if
//             none was) and pictures_seen, when the last one was seen done.
//             Without --pictures both are the usable moment.
// Prints one line: visible_ms=… usable_ms=… pictures_ms=… pictures_seen_ms=…
// cpu_visible_ms=… (the process's user and kernel time at the visible
// moment) ws_visible_kib=… ws_settled_kib=… peak_ws_kib=…, the last two read
// --settle-ms (default 500) after pictures_seen. Then the process is
// terminated, so it saves nothing; --fresh-settings removes a HKCU key
// before the start.
// Exit 0 measured, 1 timed out or failed to start, 2 usage.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Options {
    std::wstring exe;
    std::wstring dir;
    std::wstring args;
    std::wstring windowClass;
    std::wstring freshSettings;
    std::wstring waitFile;
    int buttons = 0;
    bool pictures = false;
    int placeholder = 0;
    DWORD settleMs = 500;
    DWORD timeoutMs = 120000;
};

[[noreturn]] void Usage(const wchar_t* why) {
    std::fwprintf(stderr, L"startup_bench: %ls\n", why);
    std::fwprintf(stderr,
                  L"usage: startup_bench --exe PATH --class C [--dir DIR] [--args A] [--buttons N] [--pictures]\n"
                  L"       [--placeholder-image I] [--fresh-settings KEY] [--settle-ms M] [--timeout-ms T]\n"
                  L"       [--wait-file PATH]\n");
    std::exit(2);
}

Options Parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--pictures") {
            o.pictures = true;
            continue;
        }
        if (i + 1 >= argc) Usage((L"missing value of " + arg).c_str());
        const wchar_t* value = argv[++i];
        if (arg == L"--exe") {
            o.exe = value;
        } else if (arg == L"--dir") {
            o.dir = value;
        } else if (arg == L"--args") {
            o.args = value;
        } else if (arg == L"--class") {
            o.windowClass = value;
        } else if (arg == L"--fresh-settings") {
            o.freshSettings = value;
        } else if (arg == L"--buttons") {
            o.buttons = _wtoi(value);
        } else if (arg == L"--placeholder-image") {
            o.placeholder = _wtoi(value);
        } else if (arg == L"--settle-ms") {
            o.settleMs = static_cast<DWORD>(_wtoi(value));
        } else if (arg == L"--wait-file") {
            o.waitFile = value;
        } else if (arg == L"--timeout-ms") {
            o.timeoutMs = static_cast<DWORD>(_wtoi(value));
        } else {
            Usage((L"unknown option " + arg).c_str());
        }
    }
    if (o.exe.empty() || o.windowClass.empty()) Usage(L"--exe and --class are required");
    return o;
}

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

// Looked up by class, which costs Wine one server call per match, not one
// per window on the desktop.
HWND VisibleWindow(DWORD pid, const std::wstring& windowClass) {
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, windowClass.c_str(), nullptr); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, windowClass.c_str(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
}

// A sent message is served only where the window's thread pumps messages.
bool Answers(HWND hwnd, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

HWND VisibleToolbar(HWND window, int buttons) {
    for (HWND child = FindWindowExW(window, nullptr, TOOLBARCLASSNAMEW, nullptr); child;
         child = FindWindowExW(window, child, TOOLBARCLASSNAMEW, nullptr)) {
        if (!IsWindowVisible(child)) continue;
        DWORD_PTR count = 0;
        if (SendMessageTimeoutW(child, TB_BUTTONCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) &&
            static_cast<int>(count) >= buttons)
            return child;
    }
    return nullptr;
}

// Reads the toolbar's buttons through a buffer in the target process and
// marks those that show a picture of their own.
class PictureWatch {
public:
    PictureWatch(HANDLE process, HWND toolbar, int buttons, int placeholder)
        : process_(process), toolbar_(toolbar), placeholder_(placeholder), shown_(static_cast<size_t>(buttons)) {
        remote_ = VirtualAllocEx(process, nullptr, sizeof(TBBUTTON), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~PictureWatch() {
        if (remote_) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    }
    PictureWatch(const PictureWatch&) = delete;
    PictureWatch& operator=(const PictureWatch&) = delete;

    // Reads the buttons still waiting; true when none is left. lastWaitingMs
    // becomes the start of the last read that found a button waiting.
    bool AllShown(const Stopwatch& clock, double& lastWaitingMs) {
        if (!remote_) return false;
        bool all = true;
        for (size_t i = 0; i < shown_.size(); ++i) {
            if (shown_[i]) continue;
            const double asked = clock.Ms();
            DWORD_PTR ok = 0;
            TBBUTTON button{};
            SIZE_T read = 0;
            if (SendMessageTimeoutW(toolbar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(remote_), SMTO_NORMAL, 5000,
                                    &ok) &&
                ok && ReadProcessMemory(process_, remote_, &button, sizeof button, &read))
                shown_[i] = button.iBitmap >= 0 && button.iBitmap != placeholder_;
            if (!shown_[i]) {
                lastWaitingMs = asked;
                all = false;
            }
        }
        return all;
    }

private:
    HANDLE process_;
    HWND toolbar_;
    int placeholder_;
    std::vector<bool> shown_;
    void* remote_ = nullptr;
};

double KiB(SIZE_T bytes) { return static_cast<double>(bytes) / 1024.0; }

// User and kernel time the process has used: its own work, which a busy
// machine stretches less than the wall-clock time.
double CpuMs(HANDLE process) {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    auto ticks = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// Under Wine each thread holds about a megabyte of working set, so the
// count says where a difference goes.
int Threads(DWORD processId) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == processId;
    CloseHandle(snapshot);
    return count;
}

PROCESS_MEMORY_COUNTERS Memory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // "\n" line ends, as the shell reading the figures expects.
    _setmode(_fileno(stdout), _O_BINARY);
    const Options o = Parse(argc, argv);
    if (!o.freshSettings.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, o.freshSettings.c_str());

    std::wstring commandLine = L"\"" + o.exe + L"\"";
    if (!o.args.empty()) commandLine += L" " + o.args;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const Stopwatch clock;
    if (!CreateProcessW(o.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        o.dir.empty() ? nullptr : o.dir.c_str(), &startup, &process)) {
        std::fwprintf(stderr, L"startup_bench: cannot start %ls (%lu)\n", o.exe.c_str(), GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);

    auto give_up = [&](const wchar_t* what) {
        std::fwprintf(stderr, L"startup_bench: %ls within %lu ms\n", what, o.timeoutMs);
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hProcess);
        return 1;
    };
    auto in_time = [&] {
        return clock.Ms() < o.timeoutMs && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
    };

    HWND window = nullptr;
    double visibleMs = 0;
    for (;;) {
        if (!in_time()) return give_up(L"no visible window answering");
        window = VisibleWindow(process.dwProcessId, o.windowClass);
        if (window && Answers(window, o.timeoutMs) && !GetUpdateRect(window, nullptr, FALSE)) {
            visibleMs = clock.Ms();
            break;
        }
        Sleep(1);
    }
    const PROCESS_MEMORY_COUNTERS atVisible = Memory(process.hProcess);
    const double cpuAtVisible = CpuMs(process.hProcess);

    double usableMs = visibleMs;
    HWND toolbar = nullptr;
    if (o.buttons > 0) {
        while (!(toolbar = VisibleToolbar(window, o.buttons))) {
            if (!in_time()) return give_up(L"no visible toolbar with all its buttons");
            Sleep(1);
        }
        usableMs = clock.Ms();
    }

    double picturesMs = usableMs;
    double picturesSeenMs = usableMs;
    if (o.pictures && toolbar) {
        PictureWatch watch(process.hProcess, toolbar, o.buttons, o.placeholder);
        while (!watch.AllShown(clock, picturesMs)) {
            if (!in_time()) return give_up(L"not every button showing its picture");
            Sleep(1);
        }
        picturesSeenMs = clock.Ms();
    }

    // Every picture of every section in place: the bar writes its picture
    // cache once its last target is done.
    double allPicturesMs = -1;
    if (!o.waitFile.empty()) {
        FILETIME started{}, unused{};
        GetProcessTimes(process.hProcess, &started, &unused, &unused, &unused);
        for (;;) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (GetFileAttributesExW(o.waitFile.c_str(), GetFileExInfoStandard, &data) &&
                CompareFileTime(&data.ftLastWriteTime, &started) > 0)
                break;
            if (!in_time()) return give_up(L"no picture cache written");
            Sleep(5);
        }
        allPicturesMs = clock.Ms();
    }

    Sleep(o.settleMs);
    const PROCESS_MEMORY_COUNTERS settled = Memory(process.hProcess);
    const int threads = Threads(process.dwProcessId);
    std::printf("visible_ms=%.1f usable_ms=%.1f pictures_ms=%.1f pictures_seen_ms=%.1f all_pictures_ms=%.1f "
                "cpu_visible_ms=%.1f ws_visible_kib=%.0f ws_settled_kib=%.0f peak_ws_kib=%.0f threads=%d\n",
                visibleMs, usableMs, picturesMs, picturesSeenMs, allPicturesMs, cpuAtVisible,
                KiB(atVisible.WorkingSetSize),
                KiB(settled.WorkingSetSize), KiB(settled.PeakWorkingSetSize), threads);
    std::fflush(stdout);

    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    return 0;
}
