#pragma once
// Lets pending window messages run. Long loads call it after every step;
// pumping is skipped while the last pump is more recent than the interval,
// so the screen stays live without thousands of repaints slowing the load.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "base/UiPorts.h"

namespace lark::win {

class EventLoop : public IEventLoop {
public:
    explicit EventLoop(unsigned intervalMs = 15) : intervalMs_(intervalMs) {}
    void DoEvents() override;
    // Pumps now, whatever the interval.
    void PumpAll();
    // 0 pumps on every call.
    void SetInterval(unsigned intervalMs) { intervalMs_ = intervalMs; }

    // How often the program woke up: every message its loops took from the
    // queue, and the timer messages among them. An idle bar takes none.
    // Another program asks with CountsMessage(): wParam 0 for all messages,
    // 1 for timer messages, 2 for the ticks of the docked bar's hide timer,
    // 3 for the work still on its way (pictures): once it is 0, an idle bar
    // takes no more timer messages.
    static void Count(const MSG& msg);
    // The hide timer ran, from whichever loop dispatched it: a menu's or a
    // drag's own loop counts nothing of what it takes.
    static void CountTick();
    static void SetPendingWork(std::function<uint64_t()> pending);
    static uint64_t CountOf(WPARAM which);
    static UINT CountsMessage();

private:
    unsigned intervalMs_;
    unsigned long long lastPump_ = 0;
};

}  // namespace lark::win
