#include "base/Log.h"

#include <mutex>

namespace lark {
namespace {

std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}

std::function<void(const std::string&)>& Sink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

}  // namespace

void SetLogSink(std::function<void(const std::string& line)> sink) {
    std::lock_guard<std::mutex> held(SinkLock());
    Sink() = std::move(sink);
}

void Log(const std::string& line) {
    std::lock_guard<std::mutex> held(SinkLock());
    if (Sink()) Sink()(line);
}

void LogError(const std::string& what, const RuntimeError& error) {
    Log(what + ": " + error.Description() + " (" + std::to_string(error.Number()) + ")");
}

}  // namespace lark
