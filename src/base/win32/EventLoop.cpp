#include "base/win32/EventLoop.h"

namespace lark::win {
namespace {

struct Counts {
    uint64_t messages = 0;
    uint64_t timers = 0;
    uint64_t ticks = 0;
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

void EventLoop::Count(const MSG& msg) {
    ++Counted().messages;
    if (msg.message == WM_TIMER) ++Counted().timers;
}

void EventLoop::CountTick() { ++Counted().ticks; }

void EventLoop::SetPendingWork(std::function<uint64_t()> pending) { PendingWork() = std::move(pending); }

uint64_t EventLoop::CountOf(WPARAM which) {
    switch (which) {
        case 1: return Counted().timers;
        case 2: return Counted().ticks;
        case 3: return PendingWork() ? PendingWork()() : 0;
        default: return Counted().messages;
    }
}

UINT EventLoop::CountsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Brindlewick.Larkspan.MessageCounts");
    return message;
}

}  // namespace lark::win
