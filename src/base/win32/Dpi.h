#pragma once
// Dots per inch per window and per monitor. The functions of newer systems
// are found at run time; on a system without them every window has the
// system's DPI.
#include <windows.h>

#include "base/Monitors.h"
#include "base/win32/Handles.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace lark::win {

// The DPI the program was started with (the primary monitor's).
UINT SystemDpi();
UINT DpiOfWindow(HWND window);
UINT DpiOfMonitor(HMONITOR monitor);

// A monitor's rectangle, work area and DPI.
MonitorInfo MonitorInfoOf(HMONITOR monitor);
// The monitor a window is on, or nearest to.
MonitorInfo MonitorOfWindow(HWND window);
MonitorInfo MonitorAtPoint(POINT point);

// Every monitor of the desktop, the primary first.
class MonitorService : public IMonitors {
public:
    std::vector<MonitorInfo> Monitors() override;
};

// A length given for 96 DPI at this DPI.
int Scaled(int pixelsAt96, UINT dpi);

// System metrics and the non-client metrics (fonts of menus, messages and
// captions) as they are at a DPI.
int MetricForDpi(int index, UINT dpi);
NONCLIENTMETRICSW NonClientMetricsForDpi(UINT dpi);
UniqueFont MessageFontForDpi(UINT dpi);
UniqueFont MenuFontForDpi(UINT dpi, bool bold);
// The outer rectangle of a window whose client area is `client` at a DPI.
RECT WindowRectForClient(RECT client, DWORD style, DWORD exStyle, UINT dpi);

// An icon resource at exactly this size, made from the next larger frame
// where the file has no frame of that size, so it stays sharp.
UniqueIcon LoadIconAtSize(HINSTANCE module, const wchar_t* name, int sizePx);

// Centres a window of this outer size on a monitor's work area.
POINT CentreOn(const MonitorInfo& monitor, int width, int height);

}  // namespace lark::win
