// larkspan-driver: a small Win32 console program that the end-to-end tests run
// under Wine, in the same prefix as larkspan.exe, to look at and poke the
// program's windows from outside.
//
//   larkspan-driver COMMAND [--option value | --flag]...
//
// Exit codes: 0 found / ok, 1 not found / timed out / condition false,
// 2 usage error. Output is UTF-8, one item per line, "\n" line ends.
//
// Adding a subcommand: write `int CmdSomething(Options& o)` (take its options
// with o.Take / o.Flag, call o.Done() before acting) and add one row to
// kCommands at the bottom. Window selection options are shared through
// WindowQuery. Cross-process reads of control data (tab captions, toolbar
// button rectangles) go through RemoteBuffer, memory allocated in the
// target process.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <oleacc.h>

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;

constexpr DWORD kPollMs = 50;
constexpr DWORD kDefaultTimeoutMs = 5000;
constexpr UINT kSendTimeoutMs = 3000;

// ---------------------------------------------------------------- output ---

std::string ToUtf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

// In a session (serve) each command's output is collected here and sent as
// one framed answer; otherwise it goes straight to the stream.
std::string* g_out = nullptr;
std::string* g_err = nullptr;

void Write(FILE* f, const std::wstring& text) {
    std::string s = ToUtf8(text);
    if (std::string* sink = f == stdout ? g_out : g_err) {
        *sink += s;
        return;
    }
    fwrite(s.data(), 1, s.size(), f);
    fflush(f);
}

void Out(const std::wstring& line) { Write(stdout, line + L"\n"); }
void Err(const std::wstring& line) { Write(stderr, L"larkspan-driver: " + line + L"\n"); }

std::wstring Fmt(const wchar_t* format, ...) {
    wchar_t buf[1024];
    va_list args;
    va_start(args, format);
    vswprintf(buf, sizeof buf / sizeof buf[0], format, args);
    va_end(args);
    return buf;
}

std::wstring HwndText(HWND h) {
    return Fmt(L"0x%llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
}

std::wstring RectText(const RECT& r) {
    return Fmt(L"%ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
}

// --------------------------------------------------------------- options ---

struct UsageError {
    std::wstring message;
};

// Options flags take no value; every other "--name" takes the next argument.
const std::set<std::wstring> kFlagNames = {L"all", L"hidden", L"client", L"visible", L"released", L"counts",
                                            L"objects", L"user-objects"};

class Options {
public:
    Options(int argc, wchar_t** argv, int first) {
        for (int i = first; i < argc; ++i) {
            std::wstring a = argv[i];
            if (a.rfind(L"--", 0) != 0 || a.size() < 3) throw UsageError{L"unexpected argument " + a};
            std::wstring name = a.substr(2);
            if (kFlagNames.count(name)) {
                flags_.insert(name);
            } else {
                if (i + 1 >= argc) throw UsageError{L"option --" + name + L" needs a value"};
                values_[name] = argv[++i];
            }
        }
    }

    std::optional<std::wstring> Take(const std::wstring& name) {
        auto it = values_.find(name);
        if (it == values_.end()) return std::nullopt;
        std::wstring v = it->second;
        values_.erase(it);
        return v;
    }

    std::wstring Require(const std::wstring& name) {
        auto v = Take(name);
        if (!v) throw UsageError{L"missing --" + name};
        return *v;
    }

    unsigned long long Number(const std::wstring& name, unsigned long long fallback) {
        auto v = Take(name);
        if (!v) return fallback;
        return ParseNumber(*v, name);
    }

    bool Flag(const std::wstring& name) { return flags_.erase(name) > 0; }

    // Every option must have been taken: anything left over is a usage error.
    void Done() const {
        if (!values_.empty()) throw UsageError{L"unknown option --" + values_.begin()->first};
        if (!flags_.empty()) throw UsageError{L"unknown option --" + *flags_.begin()};
    }

    static unsigned long long ParseNumber(const std::wstring& text, const std::wstring& name) {
        wchar_t* end = nullptr;
        unsigned long long n = wcstoull(text.c_str(), &end, 0);
        if (text.empty() || *end != L'\0') throw UsageError{L"--" + name + L" needs a number"};
        return n;
    }

private:
    std::map<std::wstring, std::wstring> values_;
    std::set<std::wstring> flags_;
};

// --------------------------------------------------------- window basics ---

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// Caption or control text; WM_GETTEXT is marshalled across processes by the
// system. A hung target falls back to the text the window manager keeps.
std::wstring TextOf(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len)) {
        wchar_t buf[1024] = {};
        InternalGetWindowText(h, buf, 1024);
        return buf;
    }
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &got);
    s.resize(static_cast<size_t>(got));
    return s;
}

DWORD ProcessOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

std::wstring Escape(const std::wstring& s) {
    std::wstring r;
    for (wchar_t c : s) {
        if (c == L'\\') r += L"\\\\";
        else if (c == L'\t') r += L"\\t";
        else if (c == L'\r') r += L"\\r";
        else if (c == L'\n') r += L"\\n";
        else r += c;
    }
    return r;
}

std::wstring Unescape(const std::wstring& s) {
    std::wstring r;
    for (size_t i = 0; i < s.size(); ++i) {
        wchar_t c = s[i];
        if (c == L'\\' && i + 1 < s.size()) {
            c = s[++i];
            if (c == L't') c = L'\t';
            else if (c == L'r') c = L'\r';
            else if (c == L'n') c = L'\n';
        }
        r += c;
    }
    return r;
}

// hwnd, pid, visible, exstyle, style, class, rect, title: tab-separated.
std::wstring DescribeWindow(HWND h) {
    RECT r = {};
    GetWindowRect(h, &r);
    return Fmt(L"%ls\t%lu\t%d\t0x%08lX\t0x%08lX\t", HwndText(h).c_str(), ProcessOf(h),
               IsWindowVisible(h) ? 1 : 0, static_cast<unsigned long>(GetWindowLongPtrW(h, GWL_EXSTYLE)),
               static_cast<unsigned long>(GetWindowLongPtrW(h, GWL_STYLE))) +
           Escape(ClassOf(h)) + L"\t" + RectText(r) + L"\t" + Escape(TextOf(h));
}

// ---------------------------------------------------------- window query ---

// Selects top-level windows: by --hwnd, or by --title (exact), --class,
// --exclude-class; only visible ones unless --hidden. Waits up to
// --timeout-ms (default given by the command) for at least one match.
struct WindowQuery {
    std::optional<HWND> hwnd;
    std::optional<std::wstring> title, cls, exclude_cls;
    bool include_hidden = false;
    DWORD timeout_ms = kDefaultTimeoutMs;

    static WindowQuery From(Options& o, DWORD default_timeout_ms = kDefaultTimeoutMs) {
        WindowQuery q;
        if (auto h = o.Take(L"hwnd"))
            q.hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(Options::ParseNumber(*h, L"hwnd")));
        q.title = o.Take(L"title");
        q.cls = o.Take(L"class");
        q.exclude_cls = o.Take(L"exclude-class");
        q.include_hidden = o.Flag(L"hidden");
        q.timeout_ms = static_cast<DWORD>(o.Number(L"timeout-ms", default_timeout_ms));
        if (!q.hwnd && !q.title && !q.cls) throw UsageError{L"give --title, --class or --hwnd"};
        if (q.hwnd) q.include_hidden = true;  // a handle names one window, shown or not
        return q;
    }

    bool Matches(HWND h) const {
        if (!include_hidden && !IsWindowVisible(h)) return false;
        if (title) {
            // Cheap check first (no message to the window's thread).
            wchar_t buf[1024] = {};
            InternalGetWindowText(h, buf, 1024);
            if (*title != buf) return false;
        }
        if (cls && ClassOf(h) != *cls) return false;
        if (exclude_cls && ClassOf(h) == *exclude_cls) return false;
        return true;
    }

    std::vector<HWND> FindNow() const {
        std::vector<HWND> found;
        if (hwnd) {
            if (IsWindow(*hwnd) && Matches(*hwnd)) found.push_back(*hwnd);
            return found;
        }
        struct Ctx {
            const WindowQuery* q;
            std::vector<HWND>* found;
        } ctx{this, &found};
        EnumWindows(
            [](HWND h, LPARAM p) -> BOOL {
                auto* c = reinterpret_cast<Ctx*>(p);
                if (c->q->Matches(h)) c->found->push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&ctx));
        return found;
    }

    // Polls until a match appears or the timeout passes.
    std::vector<HWND> Wait() const {
        DWORD start = GetTickCount();
        for (;;) {
            auto found = FindNow();
            if (!found.empty() || GetTickCount() - start >= timeout_ms) return found;
            Sleep(kPollMs);
        }
    }

    std::wstring Describe() const {
        std::wstring d;
        if (hwnd) d += L" hwnd=" + HwndText(*hwnd);
        if (title) d += L" title=\"" + *title + L"\"";
        if (cls) d += L" class=" + *cls;
        if (exclude_cls) d += L" exclude-class=" + *exclude_cls;
        return d;
    }
};

// Waits for the query and returns the first match, or reports "not found".
std::optional<HWND> FindOne(const WindowQuery& q) {
    auto found = q.Wait();
    if (found.empty()) {
        Err(L"no window:" + q.Describe());
        return std::nullopt;
    }
    return found.front();
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> kids;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&kids));
    return kids;
}

// A message box or other dialog: class #32770 unless the caller says otherwise.
WindowQuery DialogQuery(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    if (!q.cls && !q.hwnd) q.cls = L"#32770";
    return q;
}

// --------------------------------------------------------- remote memory ---

// Common-control messages that take a pointer are not marshalled between
// processes: the pointer must be valid in the control's own process. A
// RemoteBuffer is a block allocated there, freed when it goes out of scope.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               ProcessOf(window));
        if (process_)
            base_ = static_cast<BYTE*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return base_ != nullptr; }
    // The address in the target process of the byte at offset.
    void* At(size_t offset) const { return base_ + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }

    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T done = 0;
        return offset + size <= size_ && WriteProcessMemory(process_, At(offset), data, size, &done) &&
               done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const { return ReadFrom(At(offset), data, size); }
    // Reads from any address of the target process (a control may answer
    // with a pointer to its own storage).
    bool ReadFrom(const void* address, void* data, size_t size) const {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, address, data, size, &done) && done == size;
    }

private:
    HANDLE process_ = nullptr;
    BYTE* base_ = nullptr;
    size_t size_;
};

// A message to another process's control; nullopt when it does not answer.
std::optional<LRESULT> Ask(HWND h, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* cls) {
    std::vector<HWND> found;
    for (HWND c : ChildrenOf(parent))
        if (_wcsicmp(ClassOf(c).c_str(), cls) == 0) found.push_back(c);
    return found;
}

RECT ClientToScreenRect(HWND h, RECT r) {
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The caption of tab `index` (from 0), or nullopt when it cannot be read.
std::optional<std::wstring> TabCaption(HWND tabs, const RemoteBuffer& remote, int index) {
    constexpr size_t kChars = 512;
    const size_t textAt = (sizeof(TCITEMW) + 15) & ~size_t{15};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = static_cast<wchar_t*>(remote.At(textAt));
    item.cchTextMax = kChars;
    const wchar_t empty = L'\0';
    if (!remote.Write(0, &item, sizeof item) || !remote.Write(textAt, &empty, sizeof empty)) return std::nullopt;
    auto got = Ask(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), remote.Param());
    if (!got || !*got || !remote.Read(0, &item, sizeof item)) return std::nullopt;
    // The control may point pszText at its own copy instead of filling ours.
    std::wstring text(kChars, L'\0');
    if (!item.pszText || !remote.ReadFrom(item.pszText, text.data(), kChars * sizeof(wchar_t))) return std::nullopt;
    text.resize(wcsnlen(text.c_str(), kChars));
    return text;
}

std::optional<RECT> RemoteRect(HWND control, UINT message, int index, const RemoteBuffer& remote) {
    RECT r{};
    if (!remote.Write(0, &r, sizeof r)) return std::nullopt;
    auto got = Ask(control, message, static_cast<WPARAM>(index), remote.Param());
    if (!got || !*got || !remote.Read(0, &r, sizeof r)) return std::nullopt;
    return ClientToScreenRect(control, r);
}

// ------------------------------------------------------------- commands ---

int CmdWaitWindow(Options& o) {
    WindowQuery q = WindowQuery::From(o, 10000);
    bool all = o.Flag(L"all");
    o.Done();
    auto found = q.Wait();
    if (found.empty()) {
        Err(L"timed out waiting for window:" + q.Describe());
        return kExitNotFound;
    }
    for (HWND h : found) {
        Out(HwndText(h));
        if (!all) break;
    }
    return kExitOk;
}

int CmdWaitGone(Options& o) {
    WindowQuery q = WindowQuery::From(o, 10000);
    o.Done();
    DWORD start = GetTickCount();
    while (!q.FindNow().empty()) {
        if (GetTickCount() - start >= q.timeout_ms) {
            Err(L"window still there:" + q.Describe());
            return kExitNotFound;
        }
        Sleep(kPollMs);
    }
    return kExitOk;
}

int CmdWindowRect(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    bool client = o.Flag(L"client");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    RECT r = {};
    if (client) {
        GetClientRect(*h, &r);
        MapWindowPoints(*h, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(*h, &r);
    }
    Out(RectText(r));
    return kExitOk;
}

int CmdWindowText(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    Out(TextOf(*h));
    return kExitOk;
}

int CmdWindowInfo(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    Out(DescribeWindow(*h));
    return kExitOk;
}

int CmdListWindows(Options& o) {
    bool visible_only = o.Flag(L"visible");
    o.Done();
    std::vector<HWND> all;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    Out(L"# hwnd\tpid\tvisible\texstyle\tstyle\tclass\tleft top right bottom\ttitle");
    for (HWND h : all)
        if (!visible_only || IsWindowVisible(h)) Out(DescribeWindow(h));
    return kExitOk;
}

// Child windows of one top-level window: hwnd, control id, visible, class,
// rect (screen), text.
int CmdListChildren(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    Out(L"# hwnd\tid\tvisible\tclass\tleft top right bottom\ttext");
    for (HWND c : ChildrenOf(*h)) {
        RECT r = {};
        GetWindowRect(c, &r);
        Out(Fmt(L"%ls\t%ld\t%d\t", HwndText(c).c_str(), static_cast<long>(GetDlgCtrlID(c)),
                IsWindowVisible(c) ? 1 : 0) +
            Escape(ClassOf(c)) + L"\t" + RectText(r) + L"\t" + Escape(TextOf(c)));
    }
    return kExitOk;
}

// The text of a message box: its static controls that hold text (the icon is
// a static too, with SS_ICON and no text), one per line.
int CmdMsgboxText(Options& o) {
    WindowQuery q = DialogQuery(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    bool any = false;
    for (HWND c : ChildrenOf(*h)) {
        if (_wcsicmp(ClassOf(c).c_str(), L"Static") != 0) continue;
        if ((GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        std::wstring text = TextOf(c);
        if (text.empty()) continue;
        Out(text);
        any = true;
    }
    if (!any) {
        Err(L"dialog has no static text:" + q.Describe());
        return kExitNotFound;
    }
    return kExitOk;
}

int CmdClose(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    if (!PostMessageW(*h, WM_CLOSE, 0, 0)) {
        Err(Fmt(L"PostMessage failed (%lu)", GetLastError()));
        return kExitNotFound;
    }
    return kExitOk;
}

// Presses a dialog button the way a click does: the dialog receives
// WM_COMMAND(id, BN_CLICKED) from the button.
int PressButton(HWND dialog, std::optional<int> id, std::optional<std::wstring> text) {
    for (HWND c : ChildrenOf(dialog)) {
        if (_wcsicmp(ClassOf(c).c_str(), L"Button") != 0) continue;
        bool hit = false;
        if (id && GetDlgCtrlID(c) == *id) hit = true;
        if (text) {
            std::wstring t = TextOf(c);
            std::wstring plain;
            for (wchar_t ch : t)
                if (ch != L'&') plain += ch;
            if (plain == *text || t == *text) hit = true;
        }
        if (!hit) continue;
        int cid = GetDlgCtrlID(c);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(cid, BN_CLICKED), reinterpret_cast<LPARAM>(c));
        return kExitOk;
    }
    Err(L"no such button");
    return kExitNotFound;
}

int CmdPressOk(Options& o) {
    WindowQuery q = DialogQuery(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    return PressButton(*h, IDOK, std::wstring(L"OK"));
}

int CmdPressButton(Options& o) {
    WindowQuery q = DialogQuery(o);
    std::optional<int> id;
    if (auto v = o.Take(L"id")) id = static_cast<int>(Options::ParseNumber(*v, L"id"));
    auto text = o.Take(L"text");
    o.Done();
    if (!id && !text) throw UsageError{L"give --id or --text"};
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    return PressButton(*h, id, text);
}

int CmdIsToolwindow(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    bool tool = (GetWindowLongPtrW(*h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    Out(tool ? L"yes" : L"no");
    return tool ? kExitOk : kExitNotFound;
}

int CmdWindowPid(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    Out(Fmt(L"%lu", ProcessOf(*h)));
    return kExitOk;
}

// Returns once the window's thread has handled a message: its start-up work
// is over and it is back in its message loop.
int CmdSync(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    DWORD_PTR ignored = 0;
    for (int i = 0; i < 2; ++i) {
        if (!SendMessageTimeoutW(*h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored)) {
            Err(L"window did not answer");
            return kExitNotFound;
        }
    }
    return kExitOk;
}

// Waits until the window and every visible window inside it have painted
// (no update region left) and its thread is back in its message loop, so a
// screenshot shows the whole of it.
int CmdWaitPainted(Options& o) {
    WindowQuery q = WindowQuery::From(o, 10000);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    auto pending = [](HWND window) {
        bool any = GetUpdateRect(window, nullptr, FALSE) != FALSE;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM found) -> BOOL {
                if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE))
                    *reinterpret_cast<bool*>(found) = true;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&any));
        return any;
    };
    const DWORD start = GetTickCount();
    DWORD_PTR ignored = 0;
    for (;;) {
        if (!SendMessageTimeoutW(*h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored)) {
            Err(L"window did not answer");
            return kExitNotFound;
        }
        if (!pending(*h)) break;
        if (GetTickCount() - start >= q.timeout_ms) {
            Err(L"window still has parts to paint");
            return kExitNotFound;
        }
        Sleep(kPollMs);
    }
    // Once more: the paints are done and the thread has gone idle.
    SendMessageTimeoutW(*h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    return kExitOk;
}

// Screen size in pixels, DPI and the work area, one "name value..." a line.
int CmdScreen(Options& o) {
    o.Done();
    HDC dc = GetDC(nullptr);
    int dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    int dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Out(Fmt(L"width %d", GetSystemMetrics(SM_CXSCREEN)));
    Out(Fmt(L"height %d", GetSystemMetrics(SM_CYSCREEN)));
    Out(Fmt(L"dpi_x %d", dpi_x));
    Out(Fmt(L"dpi_y %d", dpi_y));
    Out(L"workarea " + RectText(work));
    return kExitOk;
}

// The window's tab strip: "selected\tP" (P from 1, 0 for none), then one
// "tab\tP\tleft top right bottom\tcaption" a tab, rectangles on the screen.
int CmdTabs(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    auto strips = ChildrenOfClass(*h, WC_TABCONTROLW);
    if (strips.empty()) {
        Err(L"no tab strip in" + q.Describe());
        return kExitNotFound;
    }
    HWND tabs = strips.front();
    // A strip that is not on screen (the hidden docked bar) hands its tabs to
    // the control when it paints: have it paint before it is read.
    SendMessageTimeoutW(tabs, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    RemoteBuffer remote(tabs, 4096);
    auto count = Ask(tabs, TCM_GETITEMCOUNT);
    auto selected = Ask(tabs, TCM_GETCURSEL);
    if (!remote.Ok() || !count || !selected) {
        Err(L"cannot read the tab strip");
        return kExitNotFound;
    }
    Out(Fmt(L"selected\t%d", static_cast<int>(*selected) + 1));
    for (int i = 0; i < static_cast<int>(*count); ++i) {
        auto caption = TabCaption(tabs, remote, i);
        if (!caption) {
            Err(Fmt(L"cannot read tab %d", i + 1));
            return kExitNotFound;
        }
        // A tab scrolled out of a strip too narrow for all of them has no
        // rectangle: it is told as an empty one.
        const RECT rect = RemoteRect(tabs, TCM_GETITEMRECT, i, remote).value_or(RECT{0, 0, 0, 0});
        Out(Fmt(L"tab\t%d\t", i + 1) + RectText(rect) + L"\t" + Escape(*caption));
    }
    return kExitOk;
}

// The toolbar's button at `index`, read through the remote buffer; says
// so on standard error when it cannot be read.
std::optional<TBBUTTON> ReadButton(HWND bar, RemoteBuffer& remote, int index) {
    TBBUTTON button{};
    auto got = Ask(bar, TB_GETBUTTON, static_cast<WPARAM>(index), remote.Param());
    if (got && *got && remote.Read(0, &button, sizeof button)) return button;
    Err(Fmt(L"cannot read button %d of toolbar ", index + 1) + HwndText(bar));
    return std::nullopt;
}

// Every toolbar of the window, in z-order (topmost first):
// "toolbar\thwnd\tid\tvisible\tleft top right bottom\tbuttons", then one
// "button\tN\tleft top right bottom" per button (N from 1), or
// "button\tN\thidden" for one hidden behind the chevron. visible is the
// toolbar's own WS_VISIBLE, so it means something in a hidden window too.
int CmdToolbars(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const bool countsOnly = o.Flag(L"counts");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    for (HWND bar : ChildrenOfClass(*h, TOOLBARCLASSNAMEW)) {
        RemoteBuffer remote(bar, sizeof(TBBUTTON));
        auto count = Ask(bar, TB_BUTTONCOUNT);
        if (!remote.Ok() || !count) {
            Err(L"cannot read toolbar " + HwndText(bar));
            return kExitNotFound;
        }
        RECT r{};
        GetWindowRect(bar, &r);
        const bool visible = (GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE) != 0;
        Out(Fmt(L"toolbar\t%ls\t%ld\t%d\t", HwndText(bar).c_str(), static_cast<long>(GetDlgCtrlID(bar)),
                visible ? 1 : 0) +
            RectText(r) + Fmt(L"\t%d", static_cast<int>(*count)));
        for (int i = 0; !countsOnly && i < static_cast<int>(*count); ++i) {
            // A button that does not fit is hidden behind the chevron.
            TBBUTTON button{};
            auto got = Ask(bar, TB_GETBUTTON, static_cast<WPARAM>(i), remote.Param());
            if (got && *got && remote.Read(0, &button, sizeof button) && (button.fsState & TBSTATE_HIDDEN)) {
                Out(Fmt(L"button\t%d\thidden", i + 1));
                continue;
            }
            auto rect = RemoteRect(bar, TB_GETITEMRECT, i, remote);
            if (!rect) {
                Err(Fmt(L"cannot read button %d of toolbar ", i + 1) + HwndText(bar));
                return kExitNotFound;
            }
            Out(Fmt(L"button\t%d\t", i + 1) + RectText(*rect));
        }
    }
    return kExitOk;
}

// What each button says to assistive technology: per toolbar (as `toolbars`
// orders them) "toolbar\thwnd\tid\tvisible", then "text\tN\tTEXT" per button
// (N from 1), TEXT read with TB_GETBUTTONTEXT.
int CmdButtonTexts(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    constexpr size_t kChars = 1024;
    for (HWND bar : ChildrenOfClass(*h, TOOLBARCLASSNAMEW)) {
        RemoteBuffer remote(bar, sizeof(TBBUTTON) + kChars * sizeof(wchar_t));
        auto count = Ask(bar, TB_BUTTONCOUNT);
        if (!remote.Ok() || !count) {
            Err(L"cannot read toolbar " + HwndText(bar));
            return kExitNotFound;
        }
        const bool visible = (GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE) != 0;
        Out(Fmt(L"toolbar\t%ls\t%ld\t%d", HwndText(bar).c_str(), static_cast<long>(GetDlgCtrlID(bar)),
                visible ? 1 : 0));
        for (int i = 0; i < static_cast<int>(*count); ++i) {
            const std::optional<TBBUTTON> button = ReadButton(bar, remote, i);
            if (!button) return kExitNotFound;
            // The length first: a longer text would overrun the buffer.
            auto length = Ask(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button->idCommand), 0);
            std::wstring text;
            if (length && static_cast<LRESULT>(*length) > 0 && static_cast<size_t>(*length) < kChars) {
                text.resize(static_cast<size_t>(*length) + 1);
                Ask(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button->idCommand), remote.Param(sizeof(TBBUTTON)));
                remote.Read(sizeof(TBBUTTON), text.data(), text.size() * sizeof(wchar_t));
                text.resize(static_cast<size_t>(*length));
            }
            Out(Fmt(L"text\t%d\t", i + 1) + Escape(text));
        }
    }
    return kExitOk;
}

// Which picture each button shows: per toolbar (as `toolbars` orders them)
// "toolbar\thwnd\tid\tvisible\twidth height" with the button size, then one
// "image\tN\tI" per button (N from 1), I the button's image index in the
// toolbar's image list (-2 for none). The list itself lives in the
// program's process; its indices follow the order pictures were added.
int CmdButtonImages(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    for (HWND bar : ChildrenOfClass(*h, TOOLBARCLASSNAMEW)) {
        RemoteBuffer remote(bar, sizeof(TBBUTTON));
        auto count = Ask(bar, TB_BUTTONCOUNT);
        auto size = Ask(bar, TB_GETBUTTONSIZE);
        if (!remote.Ok() || !count || !size) {
            Err(L"cannot read toolbar " + HwndText(bar));
            return kExitNotFound;
        }
        const bool visible = (GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE) != 0;
        Out(Fmt(L"toolbar\t%ls\t%ld\t%d\t%d %d", HwndText(bar).c_str(), static_cast<long>(GetDlgCtrlID(bar)),
                visible ? 1 : 0,
                static_cast<int>(LOWORD(*size)), static_cast<int>(HIWORD(*size))));
        for (int i = 0; i < static_cast<int>(*count); ++i) {
            const std::optional<TBBUTTON> button = ReadButton(bar, remote, i);
            if (!button) return kExitNotFound;
            Out(Fmt(L"image\t%d\t%d", i + 1, button->iBitmap));
        }
    }
    return kExitOk;
}

// What assistive technology reads of a window (its client object through
// AccessibleObjectFromWindow): "self\tname\trole\tvalue\tchildren", then a
// "child\tN\tname\trole\tleft top right bottom\tdefault action" for each
// child element (N from 1). Roles are the ROLE_SYSTEM_* numbers. With
// --do-default N, the child's default action is done instead.
int CmdAccessible(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const int act = static_cast<int>(o.Number(L"do-default", 0));
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) {
        Err(L"CoInitializeEx failed");
        return kExitNotFound;
    }
    int code = kExitOk;
    IAccessible* object = nullptr;
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    auto fromWindow = oleacc ? reinterpret_cast<FromWindow>(
                                   reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")))
                             : nullptr;
    const HRESULT got = fromWindow ? fromWindow(*h, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                reinterpret_cast<void**>(&object))
                                   : E_NOTIMPL;
    if (FAILED(got) || !object) {
        Err(Fmt(L"AccessibleObjectFromWindow failed: 0x%08lx", static_cast<unsigned long>(got)));
        code = kExitNotFound;
    } else {
        auto text = [](HRESULT hr, BSTR b) {
            std::wstring t = SUCCEEDED(hr) && b ? std::wstring(b, SysStringLen(b)) : L"";
            SysFreeString(b);
            return Escape(t);
        };
        auto role = [&](VARIANT child) {
            VARIANT r;
            VariantInit(&r);
            long n = -1;
            if (SUCCEEDED(object->get_accRole(child, &r)) && r.vt == VT_I4) n = r.lVal;
            VariantClear(&r);
            return n;
        };
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        long count = 0;
        object->get_accChildCount(&count);
        if (act > 0) {
            VARIANT child;
            child.vt = VT_I4;
            child.lVal = act;
            const HRESULT done = object->accDoDefaultAction(child);
            Out(Fmt(L"done\t0x%08lx", static_cast<unsigned long>(done)));
            if (FAILED(done)) code = kExitNotFound;
        } else {
            BSTR name = nullptr, value = nullptr;
            const HRESULT hn = object->get_accName(self, &name);
            const HRESULT hv = object->get_accValue(self, &value);
            Out(L"self\t" + text(hn, name) + Fmt(L"\t%ld\t", role(self)) + text(hv, value) + Fmt(L"\t%ld", count));
            for (long i = 1; i <= count; ++i) {
                VARIANT child;
                child.vt = VT_I4;
                child.lVal = i;
                BSTR childName = nullptr, action = nullptr;
                const HRESULT hc = object->get_accName(child, &childName);
                const HRESULT ha = object->get_accDefaultAction(child, &action);
                long x = 0, y = 0, w = 0, ht = 0;
                object->accLocation(&x, &y, &w, &ht, child);
                Out(Fmt(L"child\t%ld\t", i) + text(hc, childName) +
                    Fmt(L"\t%ld\t%ld %ld %ld %ld\t", role(child), x, y, x + w, y + ht) + text(ha, action));
            }
        }
        object->Release();
    }
    CoUninitialize();
    return code;
}

// Visible tooltip windows that show text: "hwnd\ttext" each. Waits up to
// --timeout-ms (default 0) for one to appear.
int CmdTooltip(Options& o) {
    const DWORD timeout = static_cast<DWORD>(o.Number(L"timeout-ms", 0));
    o.Done();
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> all;
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&all));
        bool any = false;
        for (HWND w : all) {
            if (!IsWindowVisible(w) || _wcsicmp(ClassOf(w).c_str(), TOOLTIPS_CLASSW) != 0) continue;
            std::wstring tip = TextOf(w);
            if (tip.empty()) continue;
            Out(HwndText(w) + L"\t" + Escape(tip));
            any = true;
        }
        if (any) return kExitOk;
        if (GetTickCount() - start >= timeout) {
            Err(L"no visible tooltip");
            return kExitNotFound;
        }
        Sleep(kPollMs);
    }
}

// Where the keyboard goes: "foreground\thwnd\tclass", then
// "focus\thwnd\tclass" for the focused window of the foreground window's
// thread (hwnd 0x0 when none), then, when that is a toolbar, "hot\tN", its
// hot button from 1 (0 for none), the one a keyboard user is on.
int CmdFocus(Options& o) {
    o.Done();
    HWND foreground = GetForegroundWindow();
    Out(L"foreground\t" + HwndText(foreground) + L"\t" + Escape(foreground ? ClassOf(foreground) : L""));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND focus = nullptr;
    if (foreground && GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info))
        focus = info.hwndFocus;
    Out(L"focus\t" + HwndText(focus) + L"\t" + Escape(focus ? ClassOf(focus) : L""));
    if (focus && _wcsicmp(ClassOf(focus).c_str(), TOOLBARCLASSNAMEW) == 0) {
        auto hot = Ask(focus, TB_GETHOTITEM);
        if (!hot) {
            Err(L"the focused toolbar does not answer");
            return kExitNotFound;
        }
        Out(Fmt(L"hot\t%d", static_cast<int>(*hot) + 1));
    }
    // What can keep input from its window: modifier keys the system holds
    // down, a menu mode, a capture.
    std::wstring down;
    for (const auto& [key, name] : {std::pair{VK_CONTROL, L"Ctrl"}, {VK_MENU, L"Alt"}, {VK_SHIFT, L"Shift"},
                                    {VK_LWIN, L"LWin"}, {VK_RWIN, L"RWin"}})
        if (GetAsyncKeyState(key) & 0x8000) down += (down.empty() ? L"" : L" ") + std::wstring(name);
    Out(L"keys\t" + down);
    Out(Fmt(L"modes\t0x%X", static_cast<unsigned>(info.flags)) + L"\t" + HwndText(info.hwndCapture) + L"\t" +
        HwndText(info.hwndMenuOwner) + (foreground && !IsWindowEnabled(foreground) ? L"\tdisabled" : L""));
    return kExitOk;
}

// Waits until the thread of the window has the mouse captured: a press on
// a caption has entered the move loop, a press on the tab strip has reached
// its handler. Prints "capture\thwnd\tclass" and "movesize\t0|1". With
// --released, waits for the opposite: no capture and no move loop (a drag's
// end has been handled).
int CmdWaitCapture(Options& o) {
    WindowQuery q = WindowQuery::From(o, 10000);
    const bool released = o.Flag(L"released");
    o.Done();
    const DWORD start = GetTickCount();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    for (;;) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(*h, nullptr), &info)) {
            Err(Fmt(L"GetGUIThreadInfo failed (%lu)", GetLastError()));
            return kExitNotFound;
        }
        if (released && !info.hwndCapture && !(info.flags & GUI_INMOVESIZE)) {
            Out(L"released");
            return kExitOk;
        }
        if (!released && info.hwndCapture) {
            Out(L"capture\t" + HwndText(info.hwndCapture) + L"\t" + Escape(ClassOf(info.hwndCapture)));
            Out(Fmt(L"movesize\t%d", (info.flags & GUI_INMOVESIZE) ? 1 : 0));
            return kExitOk;
        }
        if (GetTickCount() - start >= q.timeout_ms) {
            Err((released ? L"the thread still has the mouse:" : L"no window of the thread has the mouse:") +
                q.Describe());
            return kExitNotFound;
        }
        Sleep(kPollMs / 5);
    }
}

// Waits until the window's rectangle is --rect "L T R B", each edge within
// --tolerance pixels (default 0). Polls in this process, so the time it
// prints, "elapsed\tMS" after the rect, is close to when the window got
// there, counted from the start of the wait. On timeout the last rect goes
// to stderr.
int CmdWaitRect(Options& o) {
    WindowQuery q = WindowQuery::From(o, 10000);
    const std::wstring wanted_text = o.Require(L"rect");
    const long tolerance = static_cast<long>(o.Number(L"tolerance", 0));
    o.Done();
    RECT wanted{};
    if (swscanf(wanted_text.c_str(), L"%ld %ld %ld %ld", &wanted.left, &wanted.top, &wanted.right,
                &wanted.bottom) != 4)
        throw UsageError{L"--rect needs four numbers: left top right bottom"};
    const DWORD start = GetTickCount();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    auto within = [tolerance](long a, long b) { return a - b <= tolerance && b - a <= tolerance; };
    RECT r{};
    for (;;) {
        if (!GetWindowRect(*h, &r)) {
            Err(L"the window is gone");
            return kExitNotFound;
        }
        if (within(r.left, wanted.left) && within(r.top, wanted.top) && within(r.right, wanted.right) &&
            within(r.bottom, wanted.bottom)) {
            Out(RectText(r));
            Out(Fmt(L"elapsed\t%lu", GetTickCount() - start));
            return kExitOk;
        }
        if (GetTickCount() - start >= q.timeout_ms) {
            Err(L"rect is " + RectText(r) + L", not " + RectText(wanted));
            return kExitNotFound;
        }
        Sleep(kPollMs / 5);
    }
}

// Has every child of class --child-class paint, as it would when its window
// is shown: controls of a window that is not on screen (the hidden docked
// bar) may hand their content to the native control only then. Prints how
// many children it reached.
int CmdPaintChildren(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const std::wstring cls = o.Require(L"child-class");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    int painted = 0;
    for (HWND c : ChildrenOfClass(*h, cls.c_str())) {
        if (!Ask(c, WM_PAINT)) {
            Err(L"no answer from " + HwndText(c));
            return kExitNotFound;
        }
        ++painted;
    }
    Out(Fmt(L"%d", painted));
    return kExitOk;
}

// ------------------------------------------------ shell and dialog buttons ---

// Saves a shortcut file to --target (with --args) at --path, as the
// shell's "Create shortcut" does.
int CmdMakeShortcut(Options& o) {
    const std::wstring path = o.Require(L"path");
    const std::wstring target = o.Require(L"target");
    const auto args = o.Take(L"args");
    o.Done();
    auto failed = [](const wchar_t* step, HRESULT hr) {
        Err(Fmt(L"%ls failed (0x%08lX)", step, static_cast<unsigned long>(hr)));
        return kExitNotFound;
    };
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) return failed(L"CoInitializeEx", init);
    // The objects are released before CoUninitialize, at the end of this block.
    const int result = [&] {
        IShellLinkW* link = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(&link));
        if (FAILED(hr)) return failed(L"CoCreateInstance(ShellLink)", hr);
        int code = kExitOk;
        IPersistFile* file = nullptr;
        if (FAILED(hr = link->SetPath(target.c_str()))) code = failed(L"SetPath", hr);
        else if (args && FAILED(hr = link->SetArguments(args->c_str()))) code = failed(L"SetArguments", hr);
        else if (FAILED(hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
            code = failed(L"QueryInterface(IPersistFile)", hr);
        else if (FAILED(hr = file->Save(path.c_str(), TRUE))) code = failed(L"Save", hr);
        if (file) file->Release();
        link->Release();
        return code;
    }();
    CoUninitialize();
    return result;
}

// What the shortcut file at --path starts: "target<TAB>T" and
// "arguments<TAB>A" lines, as the shell reads them.
int CmdReadShortcut(Options& o) {
    const std::wstring path = o.Require(L"path");
    o.Done();
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) return kExitNotFound;
    const int result = [&] {
        IShellLinkW* link = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link))))
            return kExitNotFound;
        int code = kExitNotFound;
        IPersistFile* file = nullptr;
        wchar_t target[MAX_PATH] = {};
        wchar_t arguments[INFOTIPSIZE] = {};
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE))) {
            Out(L"target\t" + std::wstring(target) + L"\n" + L"arguments\t" + arguments);
            code = kExitOk;
        } else {
            Err(L"not a readable shortcut: " + path);
        }
        if (file) file->Release();
        link->Release();
        return code;
    }();
    CoUninitialize();
    return result;
}

// The path of a shell special folder, --csidl N (16 the user's desktop,
// 25 the common desktop).
int CmdFolderPath(Options& o) {
    const int csidl = static_cast<int>(Options::ParseNumber(o.Require(L"csidl"), L"csidl"));
    o.Done();
    wchar_t path[MAX_PATH] = {};
    const HRESULT hr = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    if (FAILED(hr)) {
        Err(Fmt(L"SHGetFolderPathW(%d) failed (0x%08lX)", csidl, static_cast<unsigned long>(hr)));
        return kExitNotFound;
    }
    Out(path);
    return kExitOk;
}

// The button of a window whose text, with or without its "&" marks, is
// `text`; children of children included (a button in a group box).
std::optional<HWND> ButtonByText(HWND window, const std::wstring& text) {
    for (HWND c : ChildrenOfClass(window, L"Button")) {
        std::wstring t = TextOf(c);
        std::wstring plain;
        for (wchar_t ch : t)
            if (ch != L'&') plain += ch;
        if (t == text || plain == text) return c;
    }
    Err(L"no button \"" + text + L"\"");
    return std::nullopt;
}

// BM_CLICK on a window's button chosen by --text: the button presses and
// releases itself, so a radio button checks itself and tells its parent,
// as under a real click. Returns once the click has been handled.
int CmdClickButton(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const std::wstring text = o.Require(L"text");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    auto button = ButtonByText(*h, text);
    if (!button) return kExitNotFound;
    if (!Ask(*button, BM_CLICK)) {
        Err(L"the button did not finish the click within the timeout");
        return kExitNotFound;
    }
    return kExitOk;
}

// One button of a window, chosen by --text: "checked\tN" (BM_GETCHECK:
// 0 unchecked, 1 checked, 2 indeterminate), "visible\tN", "enabled\tN".
int CmdButtonState(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const std::wstring text = o.Require(L"text");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    auto button = ButtonByText(*h, text);
    if (!button) return kExitNotFound;
    auto checked = Ask(*button, BM_GETCHECK);
    if (!checked) {
        Err(L"the button does not answer");
        return kExitNotFound;
    }
    Out(Fmt(L"checked\t%d", static_cast<int>(*checked)));
    Out(Fmt(L"visible\t%d", IsWindowVisible(*button) ? 1 : 0));
    Out(Fmt(L"enabled\t%d", IsWindowEnabled(*button) ? 1 : 0));
    return kExitOk;
}

// ------------------------------------------------- registry and paths ---

// The prefix's registry as `reg` sees it, read and written here so that a
// test need not start reg.exe for every look.
struct RegKey {
    HKEY root;
    std::wstring sub;
};

RegKey ParseKey(const std::wstring& key) {
    const size_t slash = key.find(L'\\');
    std::wstring root = key.substr(0, slash);
    for (wchar_t& c : root) c = static_cast<wchar_t>(towupper(c));
    const std::wstring sub = slash == std::wstring::npos ? L"" : key.substr(slash + 1);
    if (root == L"HKCU" || root == L"HKEY_CURRENT_USER") return {HKEY_CURRENT_USER, sub};
    if (root == L"HKLM" || root == L"HKEY_LOCAL_MACHINE") return {HKEY_LOCAL_MACHINE, sub};
    throw UsageError{L"--key must start with HKCU\\ or HKLM\\"};
}

std::wstring RegTypeName(DWORD type) {
    switch (type) {
        case REG_NONE: return L"REG_NONE";
        case REG_SZ: return L"REG_SZ";
        case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
        case REG_BINARY: return L"REG_BINARY";
        case REG_DWORD: return L"REG_DWORD";
        case REG_MULTI_SZ: return L"REG_MULTI_SZ";
        case REG_QWORD: return L"REG_QWORD";
        default: return Fmt(L"0x%lX", static_cast<unsigned long>(type));
    }
}

// Strings up to their first NUL; numbers as reg shows them; anything else
// as hex bytes.
std::wstring RegDataText(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        if (!text.empty()) memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), text.size()));
        return text;
    }
    if (type == REG_DWORD && data.size() >= sizeof(DWORD)) {
        DWORD n = 0;
        memcpy(&n, data.data(), sizeof n);
        return Fmt(L"0x%lx", static_cast<unsigned long>(n));
    }
    std::wstring hex;
    for (BYTE b : data) hex += Fmt(L"%02X", b);
    return hex;
}

// The key's own values: "value\tname\ttype\tdata" each (name and data
// escaped; the default value has an empty name). Exit 1 when the key is
// missing.
int CmdRegQuery(Options& o) {
    const RegKey key = ParseKey(o.Require(L"key"));
    o.Done();
    HKEY h = nullptr;
    LSTATUS rc = RegOpenKeyExW(key.root, key.sub.c_str(), 0, KEY_QUERY_VALUE, &h);
    if (rc != ERROR_SUCCESS) {
        Err(Fmt(L"cannot open the key (%ld)", static_cast<long>(rc)));
        return kExitNotFound;
    }
    DWORD max_name = 0, max_data = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &max_name, &max_data,
                     nullptr, nullptr);
    for (DWORD i = 0;; ++i) {
        std::wstring name(max_name + 1, L'\0');
        std::vector<BYTE> data(max_data + sizeof(wchar_t));
        DWORD name_len = static_cast<DWORD>(name.size()), data_len = static_cast<DWORD>(data.size()), type = 0;
        rc = RegEnumValueW(h, i, name.data(), &name_len, nullptr, &type, data.data(), &data_len);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            Err(Fmt(L"cannot read value %lu (%ld)", static_cast<unsigned long>(i), static_cast<long>(rc)));
            RegCloseKey(h);
            return kExitNotFound;
        }
        name.resize(name_len);
        data.resize(data_len);
        Out(L"value\t" + Escape(name) + L"\t" + RegTypeName(type) + L"\t" + Escape(RegDataText(type, data)));
    }
    RegCloseKey(h);
    return kExitOk;
}

// Sets a string value (--type REG_SZ, the default, or REG_EXPAND_SZ),
// creating the key.
int CmdRegSet(Options& o) {
    const RegKey key = ParseKey(o.Require(L"key"));
    const std::wstring name = o.Require(L"name");
    const std::wstring data = o.Require(L"data");
    const std::wstring type_name = o.Take(L"type").value_or(L"REG_SZ");
    o.Done();
    DWORD type = REG_SZ;
    if (type_name == L"REG_EXPAND_SZ") type = REG_EXPAND_SZ;
    else if (type_name == L"REG_DWORD") type = REG_DWORD;
    else if (type_name != L"REG_SZ") throw UsageError{L"--type must be REG_SZ, REG_EXPAND_SZ or REG_DWORD"};
    const DWORD number = type == REG_DWORD ? static_cast<DWORD>(Options::ParseNumber(data, L"data")) : 0;
    HKEY h = nullptr;
    LSTATUS rc = RegCreateKeyExW(key.root, key.sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = type == REG_DWORD
                 ? RegSetValueExW(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(&number), sizeof number)
                 : RegSetValueExW(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
    if (rc != ERROR_SUCCESS) {
        Err(Fmt(L"cannot set the value (%ld)", static_cast<long>(rc)));
        return kExitNotFound;
    }
    return kExitOk;
}

// Deletes the key with everything below it. Exit 0 once it is gone, printing
// "deleted" or "missing"; exit 1 with the system's error code when it stays.
int CmdRegDelete(Options& o) {
    const RegKey key = ParseKey(o.Require(L"key"));
    o.Done();
    if (key.sub.empty()) throw UsageError{L"will not delete a root key"};
    const LSTATUS rc = RegDeleteTreeW(key.root, key.sub.c_str());
    if (rc == ERROR_FILE_NOT_FOUND) {
        Out(L"missing");
        return kExitOk;
    }
    if (rc != ERROR_SUCCESS) {
        Err(Fmt(L"RegDeleteTree failed (%ld)", static_cast<long>(rc)));
        return kExitNotFound;
    }
    Out(L"deleted");
    return kExitOk;
}

// Wine's own conversions between Unix and Windows paths, as winepath makes
// them, from kernel32's Wine exports.
template <typename Fn>
Fn WineExport(const char* name) {
    FARPROC p = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

int CmdDosPath(Options& o) {
    const std::wstring unix_path = o.Require(L"unix");
    o.Done();
    auto convert = WineExport<WCHAR* (*)(LPCSTR)>("wine_get_dos_file_name");
    if (!convert) {
        Err(L"not running under Wine");
        return kExitNotFound;
    }
    WCHAR* dos = convert(ToUtf8(unix_path).c_str());
    if (!dos) {
        Err(L"no Windows path for " + unix_path);
        return kExitNotFound;
    }
    Out(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return kExitOk;
}

int CmdUnixPath(Options& o) {
    const std::wstring path = o.Require(L"path");
    o.Done();
    auto convert = WineExport<char* (*)(LPCWSTR)>("wine_get_unix_file_name");
    if (!convert) {
        Err(L"not running under Wine");
        return kExitNotFound;
    }
    // Wine names only paths whose folders exist; as winepath does, a path
    // further down is the Unix path of its nearest existing folder and the
    // rest of its names.
    std::wstring head = path, tail;
    char* unix_path = nullptr;
    while (!(unix_path = convert(head.c_str()))) {
        const size_t slash = head.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash < 3) {
            Err(L"no Unix path for " + path);
            return kExitNotFound;
        }
        tail = L"/" + head.substr(slash + 1) + tail;
        head.resize(slash);
    }
    const int n = MultiByteToWideChar(CP_UTF8, 0, unix_path, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unix_path, -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    HeapFree(GetProcessHeap(), 0, unix_path);
    for (wchar_t& c : tail)
        if (c == L'\\') c = L'/';
    Out(wide + tail);
    return kExitOk;
}

// Text as an input method hands it over: one WM_CHAR per UTF-16 unit (a
// surrogate pair as two), each handled before the next.
int CmdSendChars(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const std::wstring text = o.Require(L"text");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    for (wchar_t c : text) {
        if (!Ask(*h, WM_CHAR, c, 1)) {
            Err(L"the window did not take a character within the timeout");
            return kExitNotFound;
        }
    }
    return kExitOk;
}

// Sends a message to the window and prints the answer: a number, or with
// --registered the message registered under that name. Only messages
// whose parameters are plain numbers (no pointers) travel between
// processes.
int CmdSendMessage(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    auto number = o.Take(L"message");
    auto registered = o.Take(L"registered");
    LPARAM wParam = 0, lParam = 0;
    if (auto v = o.Take(L"wparam")) wParam = static_cast<LPARAM>(Options::ParseNumber(*v, L"wparam"));
    if (auto v = o.Take(L"lparam")) lParam = static_cast<LPARAM>(Options::ParseNumber(*v, L"lparam"));
    o.Done();
    if (!number == !registered) throw UsageError{L"give --message N or --registered NAME"};
    const UINT message = registered ? RegisterWindowMessageW(registered->c_str())
                                    : static_cast<UINT>(Options::ParseNumber(*number, L"message"));
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(*h, message, static_cast<WPARAM>(wParam), lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer)) {
        Err(L"window did not answer");
        return kExitNotFound;
    }
    Out(Fmt(L"%llu", static_cast<unsigned long long>(answer)));
    return kExitOk;
}

// WM_SETTINGCHANGE to every top-level window with a text naming the area,
// as Windows announces a change ("ImmersiveColorSet": the app mode).
int CmdBroadcastSetting(Options& o) {
    auto area = o.Take(L"area");
    o.Done();
    if (!area) throw UsageError{L"give --area TEXT"};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area->c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) {
        Err(L"the broadcast did not finish");
        return kExitNotFound;
    }
    return kExitOk;
}

// What larkspan counts of itself, one "name\tN" a line.
int CmdMessageCounts(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const bool objects = o.Flag(L"objects");
    const bool userObjects = o.Flag(L"user-objects");
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    const UINT message = RegisterWindowMessageW(L"Brindlewick.Larkspan.MessageCounts");
    // The program's measures by wParam: its loops' messages and timer
    // messages, the docked bar's hide-timer ticks however they were
    // dispatched, the pictures still on their way, its wake-ups by the
    // catalogue folder's notification, its looks at the catalogue and the
    // reloads they made, and (with --objects, a few hundred ms) its GDI
    // objects and the KiB in use in its heaps; --user-objects adds its USER
    // objects, whose probe under Wine asks every 16-bit handle.
    static const wchar_t* const kNames[] = {L"messages", L"timers",           L"ticks",             L"pending",
                                            L"wakeups",  L"catalogue-checks", L"catalogue-reloads", L"gdi",
                                            L"user",     L"heap-kb"};
    for (WPARAM which = 0; which <= 9; ++which) {
        if (which >= 7 && !(objects || userObjects)) break;
        if (which == 8 && !userObjects) continue;
        DWORD_PTR count = 0;
        const UINT timeout = which >= 7 ? 60000 : kSendTimeoutMs;  // counting objects takes a while
        if (!SendMessageTimeoutW(*h, message, which, 0, SMTO_ABORTIFHUNG, timeout, &count)) {
            Err(L"window did not answer");
            return kExitNotFound;
        }
        Out(Fmt(L"%ls\t%llu", kNames[which], static_cast<unsigned long long>(count)));
    }
    return kExitOk;
}

// A thread started in the program's process at an address where no code is:
// a crash of the program as it is, by no means a user has.
int CmdFaultThread(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, ProcessOf(*h));
    if (!process) {
        Err(Fmt(L"OpenProcess failed (%lu)", GetLastError()));
        return kExitNotFound;
    }
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(0x10), nullptr,
                                       0, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(process);
    if (!thread) {
        Err(Fmt(L"CreateRemoteThread failed (%lu)", error));
        return kExitNotFound;
    }
    CloseHandle(thread);
    return kExitOk;
}

// The window's own thread made to recurse without end where it waits for
// its next message: a stack overflow on the user-interface thread of the
// program as it is. The code is a call to itself, so the stack unwinds
// through it back into the thread's real frames.
int CmdOverflowThread(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(*h, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, processId);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, threadId);
    bool done = false;
    if (process && thread) {
        static const unsigned char kCallSelf[] = {0xE8, 0xFB, 0xFF, 0xFF, 0xFF};  // call $
        void* code = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        if (code && WriteProcessMemory(process, code, kCallSelf, sizeof kCallSelf, nullptr) &&
            SuspendThread(thread) != static_cast<DWORD>(-1)) {
            if (GetThreadContext(thread, &context)) {
                // Entered as a call from where the thread was.
                const DWORD64 back = context.Rip;
                context.Rsp -= 8;
                context.Rip = reinterpret_cast<DWORD64>(code);
                done = WriteProcessMemory(process, reinterpret_cast<void*>(context.Rsp), &back, sizeof back, nullptr) &&
                       SetThreadContext(thread, &context);
            }
            ResumeThread(thread);
        }
    }
    const DWORD error = GetLastError();
    if (process) CloseHandle(process);
    if (thread) CloseHandle(thread);
    if (!done) {
        Err(Fmt(L"cannot redirect the window's thread (%lu)", error));
        return kExitNotFound;
    }
    // Wakes the thread from its wait.
    PostMessageW(*h, WM_NULL, 0, 0);
    return kExitOk;
}

// ------------------------------------------------------------ drag source ---

class SimpleDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDropSource) return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

std::string WideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

// The shell's own data object for files of one folder, as Explorer drags them.
IDataObject* ShellFilesObject(const std::vector<std::wstring>& paths) {
    std::vector<PIDLIST_ABSOLUTE> absolute;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE pidl = nullptr;
        if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &pidl, 0, nullptr))) {
            Err(L"cannot parse " + path);
            return nullptr;
        }
        absolute.push_back(pidl);
    }
    IShellFolder* parent = nullptr;
    std::vector<PCUITEMID_CHILD> children;
    for (PIDLIST_ABSOLUTE pidl : absolute) {
        PCUITEMID_CHILD child = nullptr;
        IShellFolder* folder = nullptr;
        if (SUCCEEDED(SHBindToParent(pidl, IID_IShellFolder, reinterpret_cast<void**>(&folder), &child))) {
            if (!parent) parent = folder;
            else folder->Release();
            children.push_back(child);
        }
    }
    IDataObject* data = nullptr;
    if (parent) {
        parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                              nullptr, reinterpret_cast<void**>(&data));
        parent->Release();
    }
    for (PIDLIST_ABSOLUTE pidl : absolute) CoTaskMemFree(pidl);
    return data;
}

// Puts each format's bytes on the clipboard; false when one is refused.
bool PutOnClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool ok = true;
    for (const auto& [format, bytes] : formats) {
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (g) {
            memcpy(GlobalLock(g), bytes.data(), bytes.size());
            GlobalUnlock(g);
        }
        if (!g || !SetClipboardData(format, g)) {
            if (g) GlobalFree(g);
            ok = false;
        }
    }
    CloseClipboard();
    return ok;
}

// A link as a browser drags it: its address, the page's title as a file
// name, and the address as text, offered by the clipboard's data object.
IDataObject* UrlObject(const std::wstring& url, const std::wstring& title) {
    FILEGROUPDESCRIPTORW group{};
    group.cItems = 1;
    group.fgd[0].dwFlags = FD_ATTRIBUTES;
    wcsncpy(group.fgd[0].cFileName, (title + L".url").c_str(), MAX_PATH - 1);
    IDataObject* data = nullptr;
    if (!PutOnClipboard({{RegisterClipboardFormatW(L"UniformResourceLocatorW"), WideBytes(url)},
                         {RegisterClipboardFormatW(L"FileGroupDescriptorW"),
                          std::string(reinterpret_cast<const char*>(&group), sizeof group)},
                         {CF_UNICODETEXT, WideBytes(url)}}) ||
        FAILED(OleGetClipboard(&data)))
        return nullptr;
    return data;
}

struct DragSourceState {
    IDataObject* data = nullptr;
    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = E_FAIL;
    bool dragged = false;
};

LRESULT CALLBACK DragSourceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DragSourceState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_LBUTTONDOWN && state && !state->dragged) {
        state->dragged = true;
        SimpleDropSource source;
        state->result = DoDragDrop(state->data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &state->effect);
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER) {
        PostQuitMessage(1);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A window titled "Larkspan drag source" at --x --y (120 x 60); a left
// press in it starts a drag of --files (paths separated by "|", one
// folder's files, through the shell's data object) or of --url with
// --title. Prints "effect<TAB>N" (the DROPEFFECT) once the drag ends.
int CmdDragSource(Options& o) {
    const auto files = o.Take(L"files");
    const auto url = o.Take(L"url");
    const std::wstring title = o.Take(L"title").value_or(L"");
    const int x = static_cast<int>(o.Number(L"x", 0));
    const int y = static_cast<int>(o.Number(L"y", 0));
    const UINT timeout = static_cast<UINT>(o.Number(L"timeout-ms", 60000));
    o.Done();
    if (!files == !url) throw UsageError{L"give --files or --url"};
    if (FAILED(OleInitialize(nullptr))) {
        Err(L"OleInitialize failed");
        return kExitNotFound;
    }
    DragSourceState state;
    if (files) {
        std::vector<std::wstring> paths;
        for (size_t start = 0; start <= files->size();) {
            size_t bar = files->find(L'|', start);
            if (bar == std::wstring::npos) bar = files->size();
            if (bar > start) paths.push_back(files->substr(start, bar - start));
            start = bar + 1;
        }
        state.data = ShellFilesObject(paths);
    } else {
        state.data = UrlObject(*url, title);
    }
    int code = kExitNotFound;
    if (state.data) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DragSourceProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
        wc.lpszClassName = L"LarkspanDragSource";
        RegisterClassW(&wc);
        HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Larkspan drag source",
                                      WS_POPUP | WS_BORDER | WS_VISIBLE, x, y, 120, 60, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        SetTimer(window, 1, timeout, nullptr);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(window);
        if (state.dragged) {
            Out(Fmt(L"effect\t%lu", state.effect));
            code = state.result == DRAGDROP_S_DROP ? kExitOk : kExitNotFound;
        } else {
            Err(L"no drag started before the timeout");
        }
        state.data->Release();
    }
    OleUninitialize();
    return code;
}

// Puts --text on the clipboard as Unicode text, for a paste (Ctrl+V) of
// what xdotool cannot type reliably.
int CmdSetClipboard(Options& o) {
    const std::wstring text = o.Require(L"text");
    o.Done();
    return PutOnClipboard({{CF_UNICODETEXT, WideBytes(text)}}) ? kExitOk : kExitNotFound;
}

// ShowWindowAsync with --cmd N (an SW_* value: 6 minimises), as a shell
// would, without waiting for the window's thread.
int CmdShowWindow(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    const auto cmd = static_cast<int>(o.Number(L"cmd", SW_SHOW));
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    ShowWindowAsync(*h, cmd);
    return kExitOk;
}

// The chord a window's hotkey control (msctls_hotkey32) holds: "key\tVK"
// and "flags\tF" (HOTKEYF_* bits), both decimal, as HKM_GETHOTKEY gives them.
int CmdHotkeyControl(Options& o) {
    WindowQuery q = WindowQuery::From(o);
    o.Done();
    auto h = FindOne(q);
    if (!h) return kExitNotFound;
    HWND control = FindWindowExW(*h, nullptr, HOTKEY_CLASSW, nullptr);
    auto value = control ? Ask(control, HKM_GETHOTKEY) : std::nullopt;
    if (!value) {
        Err(L"no hotkey control that answers");
        return kExitNotFound;
    }
    Out(Fmt(L"key\t%d", static_cast<int>(LOBYTE(static_cast<WORD>(*value)))));
    Out(Fmt(L"flags\t%d", static_cast<int>(HIBYTE(static_cast<WORD>(*value)))));
    return kExitOk;
}

// Holds a global hotkey as another program would: registers --modifiers N
// (MOD_* bits) with --key N (a virtual-key code), prints "held", and keeps
// it until --timeout-ms (default 60000) has passed or the process is
// killed. Exit 1 with the error number when the chord is taken already.
int CmdHoldHotkey(Options& o) {
    const auto modifiers = static_cast<UINT>(o.Number(L"modifiers", 0));
    const auto key = static_cast<UINT>(o.Number(L"key", 0));
    const DWORD timeout = static_cast<DWORD>(o.Number(L"timeout-ms", 60000));
    o.Done();
    if (!RegisterHotKey(nullptr, 1, modifiers, key)) {
        Err(Fmt(L"RegisterHotKey failed: error %lu", GetLastError()));
        return kExitNotFound;
    }
    Out(L"held");
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < timeout) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        Sleep(kPollMs);
    }
    UnregisterHotKey(nullptr, 1);
    return kExitOk;
}

// Where the shell would put an appbar of another program on an edge:
// "left top right bottom" of ABM_QUERYPOS for a strip of the given
// thickness from the screen's edge (0 top, 1 bottom). A bar holding that
// edge moves the answer off its own strip.
int CmdAppbarQuery(Options& o) {
    const auto edge = o.Take(L"edge");
    long thickness = 10;
    if (auto v = o.Take(L"thickness")) thickness = static_cast<long>(Options::ParseNumber(*v, L"thickness"));
    o.Done();
    const bool bottom = edge && *edge == L"1";
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"larkspan-driver appbar", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, nullptr, nullptr);
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uCallbackMessage = WM_APP;
    SHAppBarMessage(ABM_NEW, &data);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    data.uEdge = bottom ? ABE_BOTTOM : ABE_TOP;
    data.rc = bottom ? RECT{0, height - thickness, width, height} : RECT{0, 0, width, thickness};
    SHAppBarMessage(ABM_QUERYPOS, &data);
    SHAppBarMessage(ABM_REMOVE, &data);
    DestroyWindow(window);
    Out(Fmt(L"%ld %ld %ld %ld", data.rc.left, data.rc.top, data.rc.right, data.rc.bottom));
    return kExitOk;
}

int CmdHelp(Options& o);

struct Command {
    const wchar_t* name;
    const wchar_t* synopsis;
    int (*run)(Options&);
};

const wchar_t kSelect[] = L"(--title T | --class C | --hwnd H) [--exclude-class C] [--hidden] [--timeout-ms N]";

const Command kCommands[] = {
    {L"wait-window", L"SELECT [--all]  print the HWND(s) once the window exists (default 10 s)", CmdWaitWindow},
    {L"wait-gone", L"SELECT  wait until no such window exists (default 10 s)", CmdWaitGone},
    {L"window-rect", L"SELECT [--client]  print left top right bottom (screen pixels)", CmdWindowRect},
    {L"window-text", L"SELECT  print the window's text", CmdWindowText},
    {L"window-info", L"SELECT  print one line as list-windows does", CmdWindowInfo},
    {L"window-pid", L"SELECT  print the owning process id", CmdWindowPid},
    {L"list-windows", L"[--visible]  all top-level windows, tab-separated", CmdListWindows},
    {L"list-children", L"SELECT  child windows: hwnd id visible class rect text", CmdListChildren},
    {L"msgbox-text", L"SELECT  text of a #32770 dialog's static controls", CmdMsgboxText},
    {L"close", L"SELECT  post WM_CLOSE to the window", CmdClose},
    {L"press-ok", L"SELECT  click the OK button of a #32770 dialog", CmdPressOk},
    {L"press-button", L"SELECT (--id N | --text T)  click a dialog button", CmdPressButton},
    {L"is-toolwindow", L"SELECT  exit 0 and print yes if WS_EX_TOOLWINDOW is set", CmdIsToolwindow},
    {L"sync", L"SELECT  wait until the window's thread answers a message", CmdSync},
    {L"tabs", L"SELECT  the tab strip: selected position, then each tab's rect and caption", CmdTabs},
    {L"toolbars",
     L"SELECT [--counts]  each toolbar: visible, rect, button count, then (unless --counts) each button's rect "
     L"or hidden",
     CmdToolbars},
    {L"button-images", L"SELECT  each toolbar's button size, then each button's image index", CmdButtonImages},
    {L"button-texts", L"SELECT  each toolbar's buttons' texts (TB_GETBUTTONTEXT)", CmdButtonTexts},
    {L"accessible",
     L"SELECT [--do-default N]  the window's client object as assistive technology reads it: name, role, value, "
     L"children",
     CmdAccessible},
    {L"tooltip", L"[--timeout-ms N]  text of the visible tooltip windows", CmdTooltip},
    {L"wait-rect", L"SELECT --rect \"L T R B\" [--tolerance PX]  wait for the window's rect; print it and the ms taken", CmdWaitRect},
    {L"wait-capture", L"SELECT [--released]  wait until the window's thread has the mouse captured (or no longer has)",
     CmdWaitCapture},
    {L"focus", L" the foreground window, its focused window and, for a toolbar, its hot button; the modifier keys down, the GUI thread's flags, capture and menu owner", CmdFocus},
    {L"screen", L" screen width, height, DPI and work area", CmdScreen},
    {L"paint-children", L"SELECT --child-class C  have the window's children of class C paint", CmdPaintChildren},
    {L"make-shortcut", L"--path P.lnk --target T [--args A]  save a shortcut file", CmdMakeShortcut},
    {L"read-shortcut", L"--path P.lnk  what a shortcut file starts: target and arguments", CmdReadShortcut},
    {L"folder-path", L"--csidl N  the path of a shell special folder", CmdFolderPath},
    {L"click-button", L"SELECT --text T  BM_CLICK on the window's button with that text", CmdClickButton},
    {L"button-state", L"SELECT --text T  the button's check state, visibility and enabled state", CmdButtonState},
    {L"send-message", L"SELECT (--message N | --registered NAME) [--wparam N] [--lparam N]  print the answer", CmdSendMessage},
    {L"message-counts", L"SELECT [--objects] [--user-objects]  larkspan's messages, timer messages, hide ticks, pictures on their way, wake-ups, catalogue looks (GDI, USER objects)",
     CmdMessageCounts},
    {L"fault-thread", L"SELECT  start a thread at an address without code in the window's process", CmdFaultThread},
    {L"overflow-thread", L"SELECT  make the window's thread overflow its stack", CmdOverflowThread},
    {L"wait-painted", L"SELECT  wait until the window and its children have painted (default 10 s)", CmdWaitPainted},
    {L"broadcast-setting", L"--area TEXT  WM_SETTINGCHANGE with that text to every top-level window", CmdBroadcastSetting},
    {L"send-chars", L"SELECT --text T  WM_CHAR for each character, as an input method sends them", CmdSendChars},
    {L"reg-query", L"--key K  the key's values: name, type, data", CmdRegQuery},
    {L"reg-set", L"--key K --name N --data D [--type REG_SZ|REG_EXPAND_SZ|REG_DWORD]  set a value", CmdRegSet},
    {L"reg-delete", L"--key K  delete the key and all below it; prints deleted or missing", CmdRegDelete},
    {L"dos-path", L"--unix P  the Windows path of a Unix path (winepath -w)", CmdDosPath},
    {L"unix-path", L"--path W  the Unix path of a Windows path (winepath -u)", CmdUnixPath},
    {L"serve", L" answer commands from standard input, one a line (see below)", nullptr},
    {L"drag-source", L"(--files \"P|P\" | --url U [--title T]) [--x X --y Y] [--timeout-ms N]  a window to drag them from",
     CmdDragSource},
    {L"set-clipboard", L"--text T  put the text on the clipboard", CmdSetClipboard},
    {L"show-window", L"SELECT --cmd N  ShowWindowAsync with an SW_* value", CmdShowWindow},
    {L"hotkey-control", L"SELECT  the key and flags of the window's hotkey control", CmdHotkeyControl},
    {L"hold-hotkey", L"--modifiers N --key N [--timeout-ms N]  register a global hotkey and keep it", CmdHoldHotkey},
    {L"appbar-query", L"[--edge 0|1] [--thickness N]  where the shell would put another appbar on the top or bottom edge",
     CmdAppbarQuery},
    {L"help", L" this text", CmdHelp},
};

int CmdHelp(Options& o) {
    o.Done();
    Out(L"usage: larkspan-driver COMMAND [OPTIONS]");
    Out(std::wstring(L"SELECT = ") + kSelect);
    for (const Command& c : kCommands) Out(std::wstring(L"  ") + c.name + L" " + c.synopsis);
    Out(L"exit: 0 ok, 1 not found / timeout / false, 2 usage");
    Out(L"serve: each input line is a command and its arguments, tab-separated, escaped as");
    Out(L"  the output is (\\\\ \\t \\n \\r); each answer is \"= EXIT OUTBYTES ERRBYTES\\n\"");
    Out(L"  followed by the command's output and error bytes; it ends at the end of its input");
    return kExitOk;
}

// Runs one command line (args[0] the command); the exit code.
int RunCommand(const std::vector<std::wstring>& args) {
    std::vector<wchar_t*> argv;
    for (const std::wstring& a : args) argv.push_back(const_cast<wchar_t*>(a.c_str()));
    const std::wstring& name = args[0];
    for (const Command& c : kCommands) {
        if (name != c.name || !c.run) continue;
        try {
            Options o(static_cast<int>(argv.size()), argv.data(), 1);
            return c.run(o);
        } catch (const UsageError& e) {
            Err(name + L": " + e.message);
            Err(std::wstring(L"usage: ") + c.name + L" " + c.synopsis);
            return kExitUsage;
        }
    }
    Err(L"unknown command " + name + L" (try: help)");
    return kExitUsage;
}

// ---------------------------------------------------------------- session ---

// `serve`: one driver process answers a whole test's commands, so that a
// look at a window costs a message rather than the start of a Windows
// process.
class Session {
public:
    Session() : in_(GetStdHandle(STD_INPUT_HANDLE)), out_(GetStdHandle(STD_OUTPUT_HANDLE)) {}

    int Run() {
        std::string line;
        while (ReadLine(line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::wstring> args;
            std::wstring wide = FromUtf8(line);
            for (size_t start = 0;;) {
                const size_t tab = wide.find(L'\t', start);
                args.push_back(Unescape(wide.substr(start, tab - start)));
                if (tab == std::wstring::npos) break;
                start = tab + 1;
            }
            std::string out, err;
            g_out = &out;
            g_err = &err;
            const int code = args[0] == L"serve" ? (Err(L"already serving"), kExitUsage) : RunCommand(args);
            g_out = g_err = nullptr;
            const std::string head = "= " + std::to_string(code) + " " + std::to_string(out.size()) + " " +
                                     std::to_string(err.size()) + "\n";
            if (!WriteAll(head + out + err)) return kExitOk;  // the caller has gone
        }
        return kExitOk;
    }

private:
    static std::wstring FromUtf8(const std::string& s) {
        if (s.empty()) return {};
        const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
        return w;
    }

    bool ReadLine(std::string& line) {
        line.clear();
        for (;;) {
            if (next_ == end_) {
                DWORD got = 0;
                if (!ReadFile(in_, buffer_, sizeof buffer_, &got, nullptr) || got == 0) return false;
                next_ = buffer_;
                end_ = buffer_ + got;
            }
            const char c = *next_++;
            if (c == '\n') return true;
            line += c;
        }
    }

    bool WriteAll(const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            DWORD wrote = 0;
            if (!WriteFile(out_, data.data() + done, static_cast<DWORD>(data.size() - done), &wrote, nullptr) ||
                wrote == 0)
                return false;
            done += wrote;
        }
        return true;
    }

    HANDLE in_;
    HANDLE out_;
    char buffer_[4096];
    char* next_ = buffer_;
    char* end_ = buffer_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetProcessDPIAware();
    if (argc < 2) {
        Err(L"no command (try: help)");
        return kExitUsage;
    }
    if (std::wstring(argv[1]) == L"serve" && argc == 2) return Session().Run();
    return RunCommand(std::vector<std::wstring>(argv + 1, argv + argc));
}
