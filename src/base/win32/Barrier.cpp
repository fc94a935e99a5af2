#include "base/win32/Barrier.h"

#include <set>
#include <string>
#include <utility>

namespace lark::win {
namespace {

struct EscapedErrors {
    std::function<void(const RuntimeError&)> reporter;
    std::set<std::pair<int32_t, std::string>> shown;
    bool reporting = false;
};

EscapedErrors& Escaped() {
    static EscapedErrors escaped;
    return escaped;
}

}  // namespace

void SetEscapedErrorReporter(std::function<void(const RuntimeError&)> reporter) {
    Escaped().reporter = std::move(reporter);
}

void ReportEscapedError() noexcept {
    EscapedErrors& escaped = Escaped();
    try {
        const RuntimeError error = CurrentError();
        if (!escaped.reporter || escaped.reporting) return;
        if (!escaped.shown.emplace(error.Number(), error.Description()).second) return;
        escaped.reporting = true;
        escaped.reporter(error);
        escaped.reporting = false;
    } catch (...) {
        escaped.reporting = false;
    }
}

}  // namespace lark::win
