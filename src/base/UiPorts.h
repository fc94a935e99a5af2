#pragma once
// The user-facing platform services the rules need: message boxes and the
// screen's mouse pointer. The Win32 layer implements them; tests fake them.
#include <string>

namespace lark {

enum class BoxIcon { None, Critical, Question, Exclamation, Information };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Modal; returns when the user has answered.
    virtual BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon,
                           BoxButtons buttons) = 0;
};

class IMousePointer {
public:
    virtual ~IMousePointer() = default;
    virtual void SetBusy() = 0;
    virtual void SetDefault() = 0;
    virtual bool Busy() const = 0;
};

// Hourglass for the lifetime of a long operation; every exit path restores
// the arrow.
class BusyPointer {
public:
    explicit BusyPointer(IMousePointer& pointer) : pointer_(pointer) { pointer_.SetBusy(); }
    ~BusyPointer() { pointer_.SetDefault(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    IMousePointer& pointer_;
};

// Lets pending window events (paints, clicks, timers) run once.
class IEventLoop {
public:
    virtual ~IEventLoop() = default;
    virtual void DoEvents() = 0;
};

inline constexpr const char* kProductTitle = "Brindlewick Larkspan";

}  // namespace lark
