#include "base/win32/Dpi.h"

#include <algorithm>

#include "base/Scale.h"

namespace lark::win {
namespace {

template <class F>
F Find(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through void*: a FARPROC has no parameters to compare.
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The newer entry points, looked up once.
struct DpiFunctions {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    HRESULT(WINAPI* loadIconWithScaleDown)(HINSTANCE, PCWSTR, int, int, HICON*) = nullptr;

    DpiFunctions() {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        getDpiForWindow = Find<decltype(getDpiForWindow)>(user32, "GetDpiForWindow");
        getSystemMetricsForDpi = Find<decltype(getSystemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
        systemParametersInfoForDpi =
            Find<decltype(systemParametersInfoForDpi)>(user32, "SystemParametersInfoForDpi");
        adjustWindowRectExForDpi = Find<decltype(adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
        // Only from the system folder: never a shcore.dll planted beside the program.
        HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        getDpiForMonitor = Find<decltype(getDpiForMonitor)>(shcore, "GetDpiForMonitor");
        // The common controls the manifest chose, already loaded.
        loadIconWithScaleDown =
            Find<decltype(loadIconWithScaleDown)>(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown");
    }
};

const DpiFunctions& Functions() {
    static const DpiFunctions functions;
    return functions;
}

RectPx FromRect(const RECT& r) { return RectPx{r.left, r.top, r.right, r.bottom}; }

LONG ScaleFont(LONG height, UINT dpi) {
    return static_cast<LONG>(MulDiv(height, static_cast<int>(dpi), static_cast<int>(SystemDpi())));
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) noexcept {
    try {
        reinterpret_cast<std::vector<HMONITOR>*>(param)->push_back(monitor);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

}  // namespace

UINT SystemDpi() {
    static const UINT dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return value > 0 ? static_cast<UINT>(value) : 96u;
    }();
    return dpi;
}

UINT DpiOfWindow(HWND window) {
    const UINT dpi = Functions().getDpiForWindow && window ? Functions().getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

UINT DpiOfMonitor(HMONITOR monitor) {
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (monitor && Functions().getDpiForMonitor &&
        SUCCEEDED(Functions().getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y != 0)
        return y;
    return SystemDpi();
}

MonitorInfo MonitorInfoOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) {
        const RectPx screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return MonitorInfo{screen, screen, static_cast<int32_t>(SystemDpi())};
    }
    return MonitorInfo{FromRect(info.rcMonitor), FromRect(info.rcWork), static_cast<int32_t>(DpiOfMonitor(monitor))};
}

MonitorInfo MonitorOfWindow(HWND window) { return MonitorInfoOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }

MonitorInfo MonitorAtPoint(POINT point) { return MonitorInfoOf(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

std::vector<MonitorInfo> MonitorService::Monitors() {
    std::vector<HMONITOR> handles;
    EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&handles));
    std::vector<MonitorInfo> monitors;
    for (HMONITOR handle : handles) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(handle, &info)) continue;
        const MonitorInfo monitor = MonitorInfoOf(handle);
        if (info.dwFlags & MONITORINFOF_PRIMARY) {
            monitors.insert(monitors.begin(), monitor);
        } else {
            monitors.push_back(monitor);
        }
    }
    if (monitors.empty()) monitors.push_back(MonitorInfoOf(nullptr));
    return monitors;
}

int Scaled(int pixelsAt96, UINT dpi) { return ScalePx(pixelsAt96, static_cast<int32_t>(dpi)); }

int MetricForDpi(int index, UINT dpi) {
    if (Functions().getSystemMetricsForDpi) return Functions().getSystemMetricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

NONCLIENTMETRICSW NonClientMetricsForDpi(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Functions().systemParametersInfoForDpi &&
        Functions().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return metrics;
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    if (dpi != SystemDpi()) {
        for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                               &metrics.lfStatusFont, &metrics.lfMessageFont})
            font->lfHeight = ScaleFont(font->lfHeight, dpi);
    }
    return metrics;
}

UniqueFont MessageFontForDpi(UINT dpi) {
    NONCLIENTMETRICSW metrics = NonClientMetricsForDpi(dpi);
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueFont MenuFontForDpi(UINT dpi, bool bold) {
    NONCLIENTMETRICSW metrics = NonClientMetricsForDpi(dpi);
    if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
    return UniqueFont(CreateFontIndirectW(&metrics.lfMenuFont));
}

RECT WindowRectForClient(RECT client, DWORD style, DWORD exStyle, UINT dpi) {
    if (!Functions().adjustWindowRectExForDpi ||
        !Functions().adjustWindowRectExForDpi(&client, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

UniqueIcon LoadIconAtSize(HINSTANCE module, const wchar_t* name, int sizePx) {
    HICON icon = nullptr;
    if (Functions().loadIconWithScaleDown &&
        SUCCEEDED(Functions().loadIconWithScaleDown(module, name, sizePx, sizePx, &icon)) && icon)
        return UniqueIcon(icon);
    return UniqueIcon(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, sizePx, sizePx, LR_DEFAULTCOLOR)));
}

POINT CentreOn(const MonitorInfo& monitor, int width, int height) {
    const RectPx& work = monitor.work;
    const int x = work.left + (Width(work) - width) / 2;
    const int y = work.top + (Height(work) - height) / 2;
    // A window larger than the work area keeps its caption on it.
    return POINT{std::max(x, static_cast<int>(work.left)), std::max(y, static_cast<int>(work.top))};
}

}  // namespace lark::win
