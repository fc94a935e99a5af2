#include "base/win32/MessageWindow.h"

namespace lark::win {

UniqueWindow MakeMessageWindow(const wchar_t* className, WNDPROC procedure, void* object) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = procedure;
    cls.hInstance = instance;
    cls.lpszClassName = className;
    RegisterClassExW(&cls);  // a second window finds the class registered
    UniqueWindow window(CreateWindowExW(0, className, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
    if (window) SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return window;
}

}  // namespace lark::win
