#pragma once
// One top-level window of the program, owned by one C++ object: created on
// first use, never twice, unloaded through its unload handler.
#include <windows.h>

#include <string>
#include <vector>

#include "base/App.h"

namespace lark::win {

class Form;

// The loaded windows in load order; the program ends when the last goes.
class FormRegistry {
public:
    void Add(Form* form);
    void Remove(Form* form);
    std::vector<IForm*> Loaded() const;
    bool Empty() const { return forms_.empty(); }

private:
    std::vector<Form*> forms_;
};

class Form : public IForm {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    ~Form() override;

    HWND Handle() const { return hwnd_; }
    bool Loaded() const { return hwnd_ != nullptr; }
    void Unload() override;

protected:
    explicit Form(FormRegistry& registry) : registry_(registry) {}

    struct WindowSpec {
        const wchar_t* className;
        DWORD style;
        DWORD exStyle;
        std::wstring caption;
        RECT bounds;  // pixels: left, top, right, bottom
        HWND owner = nullptr;
        HICON icon = nullptr;
    };
    // Registers the class on first use and creates the window; throws on failure.
    void CreateFormWindow(const WindowSpec& desc);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The unload handler: set cancel to keep the window.
    virtual void OnUnload(bool& cancel) { (void)cancel; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    FormRegistry& registry_;
    HWND hwnd_ = nullptr;
    bool unloading_ = false;
};

}  // namespace lark::win
