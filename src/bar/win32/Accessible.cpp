#include "bar/win32/Accessible.h"

#include <oleacc.h>

#include "bar/AccessibleChildren.h"
#include "base/Texts.h"
#include "base/win32/Barrier.h"
#include "base/win32/Ole.h"
#include "base/win32/SystemLibrary.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

// IID_IAccessible, which mingw's uuid and oleacc libraries both define.
constexpr IID kIAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// oleaut32's, found before the first object is made: the start imports no
// more than it needs.
decltype(&SysAllocStringLen) g_allocate = nullptr;

HRESULT Say(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = g_allocate(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT SayText(int id, BSTR* out) {
    try {
        return Say(Widen(Text(id)), out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Number(long value, VARIANT* out) {
    if (!out) return E_POINTER;
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

// The system's object, wrapped; every call it does not change goes to it,
// the drawn element's too (which the system's object refuses as unknown).
class Wrapped final : public IAccessible, public IOleWindow {
public:
    Wrapped(HWND hwnd, IAccessible* inner, const AccessibleText& text) : hwnd_(hwnd), inner_(inner), text_(text) {}
    Wrapped(const Wrapped&) = delete;
    Wrapped& operator=(const Wrapped&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (IsEqualIID(iid, IID_IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            // Not IEnumVARIANT: readers then count the children as this object does.
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            inner_->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IOleWindow: which window this is, without a walk up the parents.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = hwnd_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT n, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(n, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* arg) override {
        return inner_->Invoke(id, iid, lcid, flags, params, result, info, arg);
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        RECT r{};
        *count = StandardCount() + (DrawnPlace(r) ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (Which(child) != ChildKind::Drawn) return inner_->get_accChild(child, out);
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;  // an element, no object of its own
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        const ChildKind kind = Which(child);
        if (kind == ChildKind::Self && text_.name) return SayText(text_.name, out);
        if (kind == ChildKind::Drawn) return SayText(text_.drawnName, out);
        return inner_->get_accName(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        std::wstring value;
        if (Which(child) == ChildKind::Self &&
            SendMessageW(hwnd_, AccessibleQuery(), kAskValue, reinterpret_cast<LPARAM>(&value)))
            return Say(value, out);
        return inner_->get_accValue(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return inner_->get_accDescription(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        const ChildKind kind = Which(child);
        if (kind == ChildKind::Drawn) return Number(ROLE_SYSTEM_PUSHBUTTON, out);
        if (kind == ChildKind::Self && text_.role) return Number(text_.role, out);
        return inner_->get_accRole(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (Which(child) == ChildKind::Drawn) return Number(STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_FOCUSABLE, out);
        return inner_->get_accState(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return inner_->get_accHelp(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return inner_->get_accKeyboardShortcut(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return inner_->get_accFocus(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return inner_->get_accSelection(out); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        if (Which(child) == ChildKind::Drawn) return SayText(text_.drawnAction, out);
        return inner_->get_accDefaultAction(child, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (Which(child) != ChildKind::Drawn) return inner_->accLocation(left, top, width, height, child);
        RECT r{};
        if (!left || !top || !width || !height) return E_POINTER;
        if (!DrawnPlace(r)) return E_INVALIDARG;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        return inner_->accNavigate(direction, start, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        RECT r{};
        if (DrawnPlace(r) && PtInRect(&r, POINT{x, y})) return Number(StandardCount() + 1, out);
        return inner_->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (Which(child) != ChildKind::Drawn) return inner_->accDoDefaultAction(child);
        // Its menu runs a loop of its own: the reader's call returns first.
        return PostMessageW(hwnd_, AccessibleQuery(), kAskDrawnAction, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return inner_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

private:
    long StandardCount() const {
        long count = 0;
        return SUCCEEDED(inner_->get_accChildCount(&count)) ? count : 0;
    }
    bool DrawnPlace(RECT& r) const {
        return text_.drawnName &&
               SendMessageW(hwnd_, AccessibleQuery(), kAskDrawnPlace, reinterpret_cast<LPARAM>(&r)) != 0;
    }
    ChildKind Which(const VARIANT& child) const {
        if (child.vt != VT_I4) return ChildKind::None;
        RECT r{};
        return WhichChild(child.lVal, StandardCount(), DrawnPlace(r) ? 1 : 0).kind;
    }

    LONG refs_ = 1;
    HWND hwnd_;
    IAccessible* inner_;
    AccessibleText text_;
};

}  // namespace

UINT AccessibleQuery() {
    static const UINT message = RegisterWindowMessageW(L"Brindlewick.Larkspan.Accessible");
    return message;
}

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, const AccessibleText& text) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    return Barrier(
        [&]() -> LRESULT {
            static const auto standard = SystemFunction<decltype(&CreateStdAccessibleObject)>(
                L"oleacc.dll", "CreateStdAccessibleObject");
            static const auto result = SystemFunction<decltype(&LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
            g_allocate = SystemFunction<decltype(&SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
            // The object crosses to the reader through COM, which a reader
            // asking before the bar's first paint finds not yet started.
            if (!EnsureOleInitialized()) return 0;
            IAccessible* inner = nullptr;
            if (FAILED(standard(hwnd, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&inner))) || !inner)
                return 0;
            auto* wrapped = new Wrapped(hwnd, inner, text);
            const LRESULT answer = result(kIAccessible, wParam, static_cast<IAccessible*>(wrapped));
            wrapped->Release();
            return answer > 0 ? answer : 0;
        },
        [] { return LRESULT{0}; });
}

}  // namespace lark::win
