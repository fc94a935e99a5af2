#pragma once
// The shell's appbar protocol, one message at a time.
#include <cstdint>

#include "base/AppState.h"

namespace lark {

enum AppBarMessage : uint32_t {
    ABM_NEW_ = 0,
    ABM_REMOVE_ = 1,
    ABM_QUERYPOS_ = 2,
    ABM_SETPOS_ = 3,
    ABM_GETSTATE_ = 4,
    ABM_GETTASKBARPOS_ = 5,
    ABM_ACTIVATE_ = 6,
    ABM_GETAUTOHIDEBAR_ = 7,
    ABM_SETAUTOHIDEBAR_ = 8,
    ABM_WINDOWPOSCHANGED_ = 9,
};

class IAppBarShell {
public:
    virtual ~IAppBarShell() = default;
    // Sends the message with the record (which the shell may change) and
    // returns the shell's answer.
    virtual uintptr_t Send(AppBarMessage message, AppBarData& data) = 0;
};

}  // namespace lark
