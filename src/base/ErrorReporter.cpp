#include "base/ErrorReporter.h"

namespace lark {

std::string ErrorReporter::ErrorText(const std::string& message,
                                     const std::optional<RuntimeError>& pending) {
    const int32_t number = pending ? pending->Number() : 0;
    if (number == 0) return message;
    const std::string detail = pending->Description() + " (" + std::to_string(number) + ").";
    if (message.empty()) return detail;
    // With a context sentence, out of memory is dropped silently: showing a box
    // is what would fail next.
    if (number == kErrOutOfMemory) return {};
    return message + "\r\n\r\n" + detail;
}

void ErrorReporter::ShowError(const std::string& message,
                              const std::optional<RuntimeError>& pending) const {
    pointer_.SetDefault();
    const std::string text = ErrorText(message, pending);
    if (text.empty()) return;
    box_.Show(text, kProductTitle, BoxIcon::Critical, BoxButtons::Ok);
}

}  // namespace lark
