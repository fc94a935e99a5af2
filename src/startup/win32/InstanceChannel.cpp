#include "startup/win32/InstanceChannel.h"

#include <memory>
#include <string>

#include "base/win32/Barrier.h"
#include "base/win32/MessageWindow.h"

namespace lark::win {
namespace {

constexpr UINT kRunRequests = WM_APP + 1;
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 250;
// A bar that does not answer within this is hung: the second start ends.
constexpr UINT kAnswerMs = 15000;

std::unique_ptr<BYTE[]> TokenUser(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return nullptr;
    UniqueHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    if (size == 0) return nullptr;
    auto user = std::make_unique<BYTE[]>(size);
    if (!GetTokenInformation(token, ::TokenUser, user.get(), size, &size)) return nullptr;
    return user;
}

bool SameUser(DWORD process) {
    UniqueHandle other(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!other) return false;
    const std::unique_ptr<BYTE[]> theirs = TokenUser(other.get());
    const std::unique_ptr<BYTE[]> mine = TokenUser(GetCurrentProcess());
    return theirs && mine &&
           EqualSid(reinterpret_cast<TOKEN_USER*>(theirs.get())->User.Sid,
                    reinterpret_cast<TOKEN_USER*>(mine.get())->User.Sid);
}

std::wstring DesktopName(HDESK desktop) {
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!desktop || !GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - sizeof name[0], &needed))
        return {};
    return name;
}

}  // namespace

InstanceChannel::InstanceChannel(Receiver receiver) : receiver_(std::move(receiver)) {}

InstanceChannel::~InstanceChannel() {
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

bool InstanceChannel::Open() {
    if (!window_) window_ = MakeMessageWindow(kClassName, &InstanceChannel::WindowProc, this);
    return static_cast<bool>(window_);
}

void InstanceChannel::Post(const BarRequest& request) {
    queued_.push_back(request);
    if (window_) PostMessageW(window_.get(), kRunRequests, 0, 0);
}

LRESULT CALLBACK InstanceChannel::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<InstanceChannel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Barrier([&] { return self->OnMessage(message, wParam, lParam); },
                   [&] { return message == WM_COPYDATA ? LRESULT{FALSE} : DefWindowProcW(hwnd, message, wParam, lParam); });
}

LRESULT InstanceChannel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            return data && Take(reinterpret_cast<HWND>(wParam), *data) ? TRUE : FALSE;
        }
        case kRunRequests:
            RunQueued();
            return 0;
        case WM_TIMER:
            if (wParam != kRetryTimer) break;
            KillTimer(window_.get(), kRetryTimer);
            RunQueued();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_.get(), message, wParam, lParam);
}

bool InstanceChannel::Take(HWND sender, const COPYDATASTRUCT& data) {
    if (data.dwData != kBarRequestTag || data.cbData > kBarRequestLimit || (data.cbData > 0 && !data.lpData))
        return false;
    // Copied out first: the sender's memory is ours only for this message.
    const std::string bytes(static_cast<const char*>(data.lpData), data.cbData);
    if (!SameUserAndDesktop(sender)) return false;
    std::optional<BarRequest> request = DecodeBarRequest(bytes);
    if (!request) return false;
    Post(*request);
    return true;
}

void InstanceChannel::RunQueued() {
    // A request's message box runs a loop of its own, which may bring us
    // back here: the outer run takes what arrives meanwhile.
    if (running_) return;
    running_ = true;
    while (!queued_.empty()) {
        BarRequest request = std::move(queued_.front());
        queued_.erase(queued_.begin());
        bool done = true;
        Barrier([&] { done = receiver_(request); });
        if (!done) {
            queued_.insert(queued_.begin(), std::move(request));
            SetTimer(window_.get(), kRetryTimer, kRetryMs, nullptr);
            break;
        }
    }
    running_ = false;
}

bool InstanceChannel::SameUserAndDesktop(HWND sender) {
    if (!sender || !IsWindow(sender)) return false;
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(sender, &process);
    if (thread == 0) return false;
    DWORD theirs = 0;
    DWORD mine = 0;
    if (!ProcessIdToSessionId(process, &theirs) || !ProcessIdToSessionId(GetCurrentProcessId(), &mine) ||
        theirs != mine)
        return false;
    if (!SameUser(process)) return false;
    const std::wstring desktop = DesktopName(GetThreadDesktop(thread));
    return !desktop.empty() && desktop == DesktopName(GetThreadDesktop(GetCurrentThreadId()));
}

bool InstanceChannel::Send(const BarRequest& request, DWORD waitMs) {
    const std::string bytes = EncodeBarRequest(request);
    // The bar may still be starting: its window comes once it runs.
    const ULONGLONG until = GetTickCount64() + waitMs;
    HWND target = nullptr;
    while (!(target = FindWindowExW(HWND_MESSAGE, nullptr, kClassName, nullptr)) && GetTickCount64() < until)
        Sleep(100);
    if (!target) return false;
    // The bar may come forward (/show): this start has the right to let it.
    DWORD process = 0;
    GetWindowThreadProcessId(target, &process);
    AllowSetForegroundWindow(process);
    // The receiver learns who sends by a window of the sender's.
    UniqueWindow sender(
        CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!sender) return false;
    COPYDATASTRUCT data{kBarRequestTag, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
    DWORD_PTR answer = FALSE;
    if (!SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.get()),
                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &answer))
        return false;
    return answer == TRUE;
}

}  // namespace lark::win
