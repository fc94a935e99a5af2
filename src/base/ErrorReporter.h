#pragma once
// ShowError: the single form in which failures reach the user.
#include <optional>
#include <string>

#include "base/RuntimeError.h"
#include "base/UiPorts.h"

namespace lark {

class ErrorReporter {
public:
    ErrorReporter(IMessageBox& box, IMousePointer& pointer) : box_(box), pointer_(pointer) {}

    // message: the caller's context sentence, may be empty.
    // pending: the error the caller caught, if any.
    void ShowError(const std::string& message, const std::optional<RuntimeError>& pending) const;

    // The text ShowError would show; empty when it shows nothing.
    static std::string ErrorText(const std::string& message, const std::optional<RuntimeError>& pending);

private:
    IMessageBox& box_;
    IMousePointer& pointer_;
};

}  // namespace lark
