#pragma once
// A shell that keeps appbars the way the appbar protocol describes: one
// auto-hide bar per edge, reserved rectangles it may trim.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bar/BarArrangement.h"
#include "base/AppBarShell.h"

namespace lark::test {

class FakeShell : public IAppBarShell {
public:
    uintptr_t Send(AppBarMessage message, AppBarData& data) override {
        log.push_back(Describe(message, data));
        switch (message) {
            case ABM_NEW_: registered.insert_or_assign(data.hWnd, true); return 1;
            case ABM_REMOVE_: registered.erase(data.hWnd); return 1;
            case ABM_SETPOS_:
                // A taskbar at the bottom keeps its rows.
                if (data.uEdge == 3 && taskbarRows > 0) {
                    data.rc.bottom -= taskbarRows;
                    data.rc.top -= taskbarRows;
                }
                reserved[data.hWnd] = data.rc;
                return 1;
            case ABM_GETAUTOHIDEBAR_: {
                if (answerNothing) return 0;
                auto it = autoHide.find(data.uEdge);
                return it == autoHide.end() ? 0 : it->second;
            }
            case ABM_SETAUTOHIDEBAR_:
                if (data.lParam != 0) {
                    if (refuse || autoHide.count(data.uEdge)) return 0;
                    autoHide[data.uEdge] = data.hWnd;
                    return 1;
                }
                if (autoHide.count(data.uEdge) && autoHide[data.uEdge] == data.hWnd) autoHide.erase(data.uEdge);
                return 1;
            default: return 0;
        }
    }

    static std::string Describe(AppBarMessage message, const AppBarData& data) {
        static const char* names[] = {"NEW", "REMOVE", "QUERYPOS", "SETPOS", "GETSTATE", "GETTASKBARPOS",
                                      "ACTIVATE", "GETAUTOHIDEBAR", "SETAUTOHIDEBAR", "WINDOWPOSCHANGED"};
        std::string text = names[message];
        if (message == ABM_SETAUTOHIDEBAR_ || message == ABM_GETAUTOHIDEBAR_ || message == ABM_SETPOS_)
            text += " edge " + std::to_string(data.uEdge);
        if (message == ABM_SETAUTOHIDEBAR_) text += data.lParam ? " on" : " off";
        return text;
    }

    std::vector<std::string> log;
    std::map<uintptr_t, bool> registered;
    std::map<uintptr_t, RectPx> reserved;
    std::map<uint32_t, uintptr_t> autoHide;  // edge -> window
    bool refuse = false;
    bool answerNothing = false;
    int32_t taskbarRows = 0;
};

class FakeEdgeTaken : public IEdgeTakenMessage {
public:
    void Show() override { ++shown; }
    int shown = 0;
};

}  // namespace lark::test
