#pragma once
// OLE on the user-interface thread: drag and drop needs OleInitialize, not
// only COM, before a window registers as a drop target. The one place the
// program starts COM and OLE there: once the bar is on screen, or before
// anything that needs the shell's COM objects comes first (a launch, a
// shortcut read, an import).
#include <windows.h>

#include <utility>

namespace lark::win {

// Starts OLE on the calling thread the first time; false when it cannot
// run there. It ends when the thread does.
bool EnsureOleInitialized();

// Owns one reference to a COM object, released on scope exit.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* object) : object_(object) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.object_, nullptr));
        return *this;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For functions that hand out a new reference.
    T** put() {
        reset();
        return &object_;
    }
    void reset(T* object = nullptr) {
        if (object_) object_->Release();
        object_ = object;
    }

private:
    T* object_ = nullptr;
};

}  // namespace lark::win
