#pragma once
// Failures the user is not shown at the moment they happen (a picture
// worker's, a launch's), kept for later in the log file. Any thread.
#include <functional>
#include <string>

#include "base/RuntimeError.h"

namespace lark {

// Where lines go; none (the default) drops them.
void SetLogSink(std::function<void(const std::string& line)> sink);
void Log(const std::string& line);
// "what: description (number)".
void LogError(const std::string& what, const RuntimeError& error);

// Guard with a note in the log when the step fails.
template <class Step>
bool LoggedGuard(const char* what, Step&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        try {
            LogError(what, CurrentError());
        } catch (...) {
        }
        return false;
    }
}

}  // namespace lark
