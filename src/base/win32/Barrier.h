#pragma once
// No exception may unwind through the system's frames: a window procedure,
// subclass procedure or callback runs its body behind a barrier that
// reports what escapes and lets the system's default handling answer.
#include <functional>

#include "base/RuntimeError.h"

namespace lark::win {

// Where escaped errors go; the program's entry sets it once. Until then
// they are dropped.
void SetEscapedErrorReporter(std::function<void(const RuntimeError&)> reporter);

// Inside a catch block: reports the error in flight. Each distinct error is
// shown once, and never while another report is showing, so a handler that
// fails at every paint cannot stack message boxes.
void ReportEscapedError() noexcept;

// Runs body; if it throws, reports the error and returns fallback() instead.
template <class Body, class Fallback>
auto Barrier(Body&& body, Fallback&& fallback) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        ReportEscapedError();
    }
    try {
        return fallback();
    } catch (...) {
        return decltype(body()){};
    }
}

// Runs a step that has nothing to fall back on (a listener told of what
// the control has already done); what it throws is reported.
template <class Step>
void Barrier(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        ReportEscapedError();
    }
}

}  // namespace lark::win
