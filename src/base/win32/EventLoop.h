#pragma once
// Lets pending window messages run. Long loads call it after every step;
// pumping is skipped while the last pump is more recent than the interval,
// so the screen stays live without thousands of repaints slowing the load.
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

private:
    unsigned intervalMs_;
    unsigned long long lastPump_ = 0;
};

}  // namespace lark::win
