#include "base/Monitors.h"

#include <algorithm>

#include "base/RuntimeError.h"

namespace lark {
namespace {

int64_t Overlap(const RectPx& a, const RectPx& b) {
    const int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between two rectangles, 0 when they touch or overlap.
int64_t Distance(const RectPx& a, const RectPx& b) {
    const int64_t dx = std::max<int64_t>({0, int64_t{b.left} - a.right, int64_t{a.left} - b.right});
    const int64_t dy = std::max<int64_t>({0, int64_t{b.top} - a.bottom, int64_t{a.top} - b.bottom});
    return dx * dx + dy * dy;
}

}  // namespace

bool MonitorInfo::operator==(const MonitorInfo& other) const {
    return bounds == other.bounds && work == other.work && dpi == other.dpi;
}

MonitorInfo NearestMonitor(const std::vector<MonitorInfo>& monitors, const RectPx& rect) {
    if (monitors.empty()) Raise(kErrInvalidCall);
    const MonitorInfo* best = &monitors.front();
    int64_t bestOverlap = -1;
    for (const MonitorInfo& m : monitors) {
        const int64_t overlap = Overlap(rect, m.bounds);
        if (overlap > bestOverlap) {
            best = &m;
            bestOverlap = overlap;
        }
    }
    if (bestOverlap > 0) return *best;
    // Off every monitor (or an empty rectangle): the closest one; ties go to
    // the one listed first, the primary.
    int64_t bestDistance = INT64_MAX;
    for (const MonitorInfo& m : monitors) {
        const int64_t distance = Distance(rect, m.bounds);
        if (distance < bestDistance) {
            best = &m;
            bestDistance = distance;
        }
    }
    return *best;
}

MonitorInfo NearestMonitor(const std::vector<MonitorInfo>& monitors, const PointPx& point) {
    // A point is the pixel below and right of it.
    return NearestMonitor(monitors, RectPx{point.x, point.y, point.x + 1, point.y + 1});
}

RectPx ClampInto(const RectPx& rect, const RectPx& area) {
    const int32_t w = Width(rect);
    const int32_t h = Height(rect);
    int32_t left = std::min(rect.left, area.right - w);
    int32_t top = std::min(rect.top, area.bottom - h);
    left = std::max(left, area.left);
    top = std::max(top, area.top);
    return RectPx{left, top, left + w, top + h};
}

}  // namespace lark
