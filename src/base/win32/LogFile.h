#pragma once
// The log file: one dated line for each failure nobody was shown when it
// happened. It stays small: a file that would pass the limit becomes the
// ".old" one (replacing the one before) and a new file begins.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace lark::win {

class LogFile {
public:
    static constexpr uint64_t kLimitBytes = 64 * 1024;

    // path: found when the first line is written, so that a run without
    // failures never asks for it.
    explicit LogFile(std::function<std::wstring()> path, uint64_t limitBytes = kLimitBytes)
        : findPath_(std::move(path)), limit_(limitBytes) {}

    // Appends the line with the local date and time; failures to write are
    // dropped, there being nowhere else to tell them. Callers serialise.
    void Write(const std::string& line);
    // Where the file is (or would be); empty when unknown.
    const std::wstring& Path();
    // The file a full log was moved to.
    static std::wstring OldPath(const std::wstring& path);

private:
    std::function<std::wstring()> findPath_;
    uint64_t limit_;
    std::wstring path_;
    bool found_ = false;
};

}  // namespace lark::win
