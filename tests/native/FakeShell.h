#pragma once
// A shell that keeps appbars the way the appbar protocol describes (one
// auto-hide bar per edge, strips it moves off other bars' strips), the
// monitors of a desktop, and the two bar windows as the position rules see
// them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bar/BarArrangement.h"
#include "base/AppBarShell.h"
#include "base/Monitors.h"

namespace lark::test {

class FakeShell : public IAppBarShell {
public:
    uintptr_t Send(AppBarMessage message, AppBarData& data) override {
        log.push_back(Describe(message, data));
        switch (message) {
            case ABM_NEW_: registered.insert_or_assign(data.hWnd, true); return 1;
            case ABM_REMOVE_:
                registered.erase(data.hWnd);
                for (auto it = autoHide.begin(); it != autoHide.end();)
                    it = it->second == data.hWnd ? autoHide.erase(it) : std::next(it);
                for (auto it = autoHideOn.begin(); it != autoHideOn.end();)
                    it = it->second == data.hWnd ? autoHideOn.erase(it) : std::next(it);
                return 1;
            case ABM_QUERYPOS_: MoveOffTaken(data); return 1;
            case ABM_SETPOS_:
                MoveOffTaken(data);
                reserved[data.hWnd] = data.rc;
                return 1;
            // The old messages address the primary monitor's edges.
            case ABM_GETAUTOHIDEBAR_: return answerNothing ? 0 : Holder(autoHide, data.uEdge);
            case ABM_SETAUTOHIDEBAR_: return SetHolder(autoHide, data.uEdge, data);
            case ABM_GETAUTOHIDEBAREX_:
                if (withoutEx || answerNothing) return 0;
                return AutoHideOf(data.uEdge, data.rc);
            case ABM_SETAUTOHIDEBAREX_:
                if (withoutEx) return 0;
                return OnMonitor(data.rc) ? SetHolder(autoHide, data.uEdge, data)
                                          : SetHolder(autoHideOn, EdgeOn(data.uEdge, data.rc), data);
            default: return 0;
        }
    }

    static std::string Describe(AppBarMessage message, const AppBarData& data) {
        static const char* names[] = {"NEW",    "REMOVE",         "QUERYPOS",         "SETPOS",
                                      "GETSTATE", "GETTASKBARPOS", "ACTIVATE",         "GETAUTOHIDEBAR",
                                      "SETAUTOHIDEBAR", "WINDOWPOSCHANGED", "SETSTATE", "GETAUTOHIDEBAREX",
                                      "SETAUTOHIDEBAREX"};
        std::string text = names[message];
        if (message == ABM_SETAUTOHIDEBAR_ || message == ABM_GETAUTOHIDEBAR_ || message == ABM_SETPOS_ ||
            message == ABM_QUERYPOS_ || message == ABM_GETAUTOHIDEBAREX_ || message == ABM_SETAUTOHIDEBAREX_)
            text += " edge " + std::to_string(data.uEdge);
        if (message == ABM_SETAUTOHIDEBAR_ || message == ABM_SETAUTOHIDEBAREX_) text += data.lParam ? " on" : " off";
        return text;
    }

    // Another bar's strip (a taskbar) on an edge: a proposal on that edge
    // that reaches into it is moved off it.
    void Take(uint32_t edge, RectPx strip) { taken.push_back({edge, strip}); }
    // The auto-hide bar of a monitor's edge, 0 for none.
    uintptr_t AutoHideOf(uint32_t edge, const RectPx& monitor) {
        return OnMonitor(monitor) ? Holder(autoHide, edge) : Holder(autoHideOn, EdgeOn(edge, monitor));
    }

    std::vector<std::string> log;
    std::map<uintptr_t, bool> registered;
    std::map<uintptr_t, RectPx> reserved;
    std::map<uint32_t, uintptr_t> autoHide;  // edge of the primary monitor -> window
    // Edges of other monitors, keyed by EdgeOn.
    std::map<std::string, uintptr_t> autoHideOn;
    std::vector<std::pair<uint32_t, RectPx>> taken;
    RectPx primary{0, 0, 1024, 768};
    bool refuse = false;
    bool answerNothing = false;
    bool withoutEx = false;  // a shell before the monitor messages

private:
    bool OnMonitor(const RectPx& rc) const { return rc == primary; }
    static std::string EdgeOn(uint32_t edge, const RectPx& m) {
        return std::to_string(edge) + "@" + std::to_string(m.left) + "," + std::to_string(m.top) + "," +
               std::to_string(m.right) + "," + std::to_string(m.bottom);
    }
    template <class Key>
    static uintptr_t Holder(const std::map<Key, uintptr_t>& holders, const Key& edge) {
        auto it = holders.find(edge);
        return it == holders.end() ? 0 : it->second;
    }
    template <class Key>
    uintptr_t SetHolder(std::map<Key, uintptr_t>& holders, const Key& edge, const AppBarData& data) {
        if (data.lParam != 0) {
            auto it = holders.find(edge);
            if (refuse || (it != holders.end() && it->second != data.hWnd)) return 0;
            holders[edge] = data.hWnd;
            return 1;
        }
        if (holders.count(edge) && holders[edge] == data.hWnd) holders.erase(edge);
        return 1;
    }
    void MoveOffTaken(AppBarData& data) const {
        RectPx& rc = data.rc;
        for (const auto& [edge, strip] : taken) {
            if (edge != data.uEdge) continue;
            const bool column = edge == 0 || edge == 2;
            if (column ? (rc.bottom <= strip.top || rc.top >= strip.bottom)
                       : (rc.right <= strip.left || rc.left >= strip.right))
                continue;
            if (edge == 0 && rc.left < strip.right) {
                rc.right += strip.right - rc.left;
                rc.left = strip.right;
            }
            if (edge == 1 && rc.top < strip.bottom) {
                rc.bottom += strip.bottom - rc.top;
                rc.top = strip.bottom;
            }
            if (edge == 2 && rc.right > strip.left) {
                rc.left -= rc.right - strip.left;
                rc.right = strip.left;
            }
            if (edge == 3 && rc.bottom > strip.top) {
                rc.top -= rc.bottom - strip.top;
                rc.bottom = strip.top;
            }
        }
    }
};

class FakeEdgeTaken : public IEdgeTakenMessage {
public:
    void Show() override { ++shown; }
    int shown = 0;
};

// One 1024 x 768 monitor at 96 DPI unless a test says otherwise.
class FakeMonitors : public IMonitors {
public:
    std::vector<MonitorInfo> Monitors() override { return list; }
    static MonitorInfo Screen(RectPx bounds, int32_t dpi = 96, int32_t taskbarRows = 0) {
        RectPx work = bounds;
        work.bottom -= taskbarRows;
        return MonitorInfo{bounds, work, dpi};
    }
    std::vector<MonitorInfo> list{Screen({0, 0, 1024, 768})};
};

// The floating window: its rectangle in desktop pixels.
class FakeFloating : public IFloatingBar {
public:
    RectPx Bounds() const override { return rect; }
    void MoveTo(PointPx p) override { rect = RectPx{p.x, p.y, p.x + Width(rect), p.y + Height(rect)}; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    WindowPlacement Placement() const override {
        WindowPlacement p;
        p.normalPosition = rect;
        return p;
    }
    void EnableMoveDetection(bool enabled) override { detecting = enabled; }

    RectPx rect{200, 300, 700, 373};  // 1100 twips high at 96 DPI
    bool visible = true;
    bool detecting = true;
};

class FakeDocked : public IDockedBar {
public:
    RectPx Bounds() const override { return RectPx{x, y, x + width, y + height}; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void Place(int32_t px, int32_t py, int32_t w, int32_t h, Flags) override {
        x = px;
        y = py;
        width = w;
        height = h;
    }
    void MakeTopmost() override { topmost = true; }
    void DropTopmost() override { topmost = false; }
    void EnableHideTimer(bool enabled) override { timer = enabled; }
    bool InUse() const override { return inUse; }
    void SetPlacement(const WindowPlacement& p) override {
        placed = p;
        x = p.normalPosition.left;
        y = p.normalPosition.top;
    }
    void SetColumn(bool c) override { column = c; }

    WindowPlacement placed;
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool visible = false, topmost = false, timer = false, inUse = false, column = false;
};

}  // namespace lark::test
