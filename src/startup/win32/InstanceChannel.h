#pragma once
// How a second start reaches the bar that runs: a message-only window of a
// class meant to be found takes each request as one WM_COPYDATA message,
// from a process of the same user on the same desktop only.
#include <windows.h>

#include <functional>
#include <vector>

#include "base/win32/Handles.h"
#include "startup/BarRequest.h"

namespace lark::win {

class InstanceChannel {
public:
    // Each request that arrives, run from the message loop after the
    // sender has been answered, never inside its message; false when the
    // bar cannot take it now (a load runs, a dialog is up): it is tried
    // again in a moment.
    using Receiver = std::function<bool(const BarRequest&)>;

    explicit InstanceChannel(Receiver receiver);
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Opens the window a second start looks for; false when it cannot be made.
    bool Open();
    HWND Handle() const { return window_.get(); }
    // Queues a request of this process, as one from outside would be.
    void Post(const BarRequest& request);

    // The second start's side: hands the request to the running bar's
    // window, waiting for it up to `waitMs` while that bar starts. False
    // when no bar took it.
    static bool Send(const BarRequest& request, DWORD waitMs);
    // Whether a copy-data message's sender, named by its window, runs as
    // this user in this session on this desktop.
    static bool SameUserAndDesktop(HWND sender);

    static constexpr const wchar_t* kClassName = L"Brindlewick.Larkspan.Requests";

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Take(HWND sender, const COPYDATASTRUCT& data);
    void RunQueued();

    Receiver receiver_;
    UniqueWindow window_;
    std::vector<BarRequest> queued_;
    bool running_ = false;
};

}  // namespace lark::win
