#pragma once
// Lets pending window messages run. Long loads call it after every step;
// pumping is skipped while the last pump is more recent than the interval,
// so the screen stays live without thousands of repaints slowing the load.
// Also the program's own message loop, which waits on messages and on one
// handle at once.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "base/UiPorts.h"

namespace lark::win {

// What the program's loop waits on besides messages: a handle that gets
// signalled, and a moment to wake at. Nothing else wakes an idle program.
class ILoopWaiter {
public:
    virtual ~ILoopWaiter() = default;
    // nullptr when there is none.
    virtual HANDLE WaitHandle() = 0;
    // Milliseconds until Due should run; INFINITE when nothing waits.
    virtual DWORD WaitMs() = 0;
    virtual void Signalled() = 0;
    virtual void Due() = 0;
    // The handle could not be waited on: it is dropped.
    virtual void WaitFailed() = 0;
};

class EventLoop : public IEventLoop {
public:
    explicit EventLoop(unsigned intervalMs = 15) : intervalMs_(intervalMs) {}
    void DoEvents() override;
    // Pumps now, whatever the interval.
    void PumpAll();
    // 0 pumps on every call.
    void SetInterval(unsigned intervalMs) { intervalMs_ = intervalMs; }

    // Runs until WM_QUIT and returns its code. preTranslate takes a message
    // before it is dispatched (true: taken).
    static int Run(ILoopWaiter& waiter, const std::function<bool(const MSG&)>& preTranslate);

    // How often the program woke up, and what it holds, for another program
    // to ask with CountsMessage() (wParam one of Measure): an idle bar takes
    // no message and no wake-up; a long run holds no more objects than a
    // short one.
    enum Measure : WPARAM {
        kMessages = 0,  // every message its loops took from the queue
        kTimers = 1,    // the timer messages among them
        kHideTicks = 2,  // ticks of the docked bar's hide timer
        // Work still on its way (pictures): once it is 0, an idle bar takes
        // no more timer messages.
        kPendingWork = 3,
        kSignals = 4,           // wake-ups by the waited handle
        kCatalogueChecks = 5,   // looks at the catalogue after a change
        kCatalogueReloads = 6,  // reloads those looks made
        kGdiObjects = 7,
        kUserObjects = 8,
        kHeapKiB = 9,  // the process's heaps in use
    };
    static void Count(const MSG& msg);
    // The hide timer ran, from whichever loop dispatched it: a menu's or a
    // drag's own loop counts nothing of what it takes.
    static void CountTick();
    static void SetPendingWork(std::function<uint64_t()> pending);
    static uint64_t CountOf(WPARAM which);
    // A measure kept elsewhere (the catalogue's).
    static void Provide(WPARAM which, std::function<uint64_t()> measure);
    static UINT CountsMessage();

private:
    unsigned intervalMs_;
    unsigned long long lastPump_ = 0;
};

}  // namespace lark::win
