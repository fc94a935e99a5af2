#pragma once
// The monitors of the desktop and the rules that pick one for a window: the
// bar docks on the edge of the monitor it is on and floats inside that
// monitor's work area.
#include <cstdint>
#include <vector>

#include "base/Geometry.h"

namespace lark {

// Rectangles are desktop pixels; a monitor left of or above the primary one
// has negative coordinates.
struct MonitorInfo {
    RectPx bounds;
    RectPx work;  // without the taskbar and other appbars
    int32_t dpi = 96;

    bool operator==(const MonitorInfo& other) const;
};

class IMonitors {
public:
    virtual ~IMonitors() = default;
    // Every monitor of the desktop, the primary first; never empty.
    virtual std::vector<MonitorInfo> Monitors() = 0;
};

// The monitor a rectangle is on, as the platform's MonitorFromRect with
// "nearest" picks it: the largest overlap, or with none the closest monitor.
// Raises 5 (invalid call) for an empty list.
MonitorInfo NearestMonitor(const std::vector<MonitorInfo>& monitors, const RectPx& rect);
MonitorInfo NearestMonitor(const std::vector<MonitorInfo>& monitors, const PointPx& point);

// The rectangle moved (not resized) the least so that it lies inside area;
// one larger than area keeps its top left corner inside.
RectPx ClampInto(const RectPx& rect, const RectPx& area);

}  // namespace lark
