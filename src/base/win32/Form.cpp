#include "base/win32/Form.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/win32/Barrier.h"
#include "base/win32/Colours.h"

namespace lark::win {

void FormRegistry::Add(Form* form) { forms_.push_back(form); }

void FormRegistry::Remove(Form* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (forms_.empty()) PostQuitMessage(0);
}

std::vector<IForm*> FormRegistry::Loaded() const { return {forms_.begin(), forms_.end()}; }

Form::~Form() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Form::CreateFormWindow(const WindowSpec& desc) {
    if (hwnd_) Raise(kErrAlreadyLoaded);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, desc.className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Form::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = desc.className;
        wc.hIcon = desc.icon;
        wc.hIconSm = desc.icon;
        if (!RegisterClassExW(&wc)) Raise(kErrOutOfMemory);
    }
    const RECT& b = desc.bounds;
    CreateWindowExW(desc.exStyle, desc.className, desc.caption.c_str(), desc.style, b.left, b.top,
                    b.right - b.left, b.bottom - b.top, desc.owner, nullptr, instance, this);
    if (!hwnd_) Raise(kErrOutOfMemory);
    registry_.Add(this);
    ColourWindow(hwnd_);
}

void Form::Unload() {
    // An unload handler that quits the program unloads every window, its own
    // included: that inner request is already being served.
    if (!hwnd_ || unloading_) return;
    unloading_ = true;
    bool cancel = false;
    OnUnload(cancel);
    unloading_ = false;
    if (!cancel && hwnd_) DestroyWindow(hwnd_);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Unload();
        return 0;
    }
    // The controls a form made after its window take the colours too.
    if (message == WM_SHOWWINDOW && wParam) ColourWindow(hwnd_);
    LRESULT result = 0;
    if (AnswerColours(hwnd_, message, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Form* form = nullptr;
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        form->registry_.Remove(form);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return Barrier([&] { return form->HandleMessage(message, wParam, lParam); },
                   [&] { return DefWindowProcW(hwnd, message, wParam, lParam); });
}

}  // namespace lark::win
