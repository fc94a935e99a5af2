#include "base/win32/EventLoop.h"

#include <map>

#include "base/win32/GuiObjects.h"

namespace lark::win {
namespace {

struct Counts {
    uint64_t messages = 0;
    uint64_t timers = 0;
    uint64_t ticks = 0;
    uint64_t signals = 0;
    std::map<WPARAM, std::function<uint64_t()>> provided;
};

Counts& Counted() {
    static Counts counts;
    return counts;
}

std::function<uint64_t()>& PendingWork() {
    static std::function<uint64_t()> pending;
    return pending;
}

}  // namespace

void EventLoop::DoEvents() {
    if (intervalMs_ != 0 && GetTickCount64() - lastPump_ < intervalMs_) return;
    PumpAll();
}

void EventLoop::PumpAll() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Count(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    lastPump_ = GetTickCount64();
}

int EventLoop::Run(ILoopWaiter& waiter, const std::function<bool(const MSG&)>& preTranslate) {
    for (;;) {
        HANDLE handle = waiter.WaitHandle();
        // Input already in the queue counts too: a nested loop may have
        // looked at it without taking it.
        const DWORD woke = MsgWaitForMultipleObjectsEx(handle ? 1 : 0, handle ? &handle : nullptr,
                                                       waiter.WaitMs(), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handle && woke == WAIT_OBJECT_0) {
            ++Counted().signals;
            waiter.Signalled();
        } else if (woke == WAIT_FAILED) {
            waiter.WaitFailed();
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            Count(msg);
            if (preTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (waiter.WaitMs() == 0) waiter.Due();
    }
}

void EventLoop::Count(const MSG& msg) {
    ++Counted().messages;
    if (msg.message == WM_TIMER) ++Counted().timers;
}

void EventLoop::CountTick() { ++Counted().ticks; }

void EventLoop::SetPendingWork(std::function<uint64_t()> pending) { PendingWork() = std::move(pending); }

uint64_t EventLoop::CountOf(WPARAM which) {
    switch (which) {
        case kTimers: return Counted().timers;
        case kHideTicks: return Counted().ticks;
        case kPendingWork: return PendingWork() ? PendingWork()() : 0;
        case kSignals: return Counted().signals;
        case kGdiObjects: return static_cast<uint64_t>(CountGdiObjects());
        case kUserObjects: return static_cast<uint64_t>(CountUserObjects());
        case kHeapKiB: return HeapBytesInUse() / 1024;
        default: break;
    }
    const auto provided = Counted().provided.find(which);
    if (provided != Counted().provided.end()) return provided->second();
    return Counted().messages;
}

void EventLoop::Provide(WPARAM which, std::function<uint64_t()> measure) {
    Counted().provided[which] = std::move(measure);
}

UINT EventLoop::CountsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Brindlewick.Larkspan.MessageCounts");
    return message;
}

}  // namespace lark::win
