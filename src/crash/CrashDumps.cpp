#include "crash/CrashDumps.h"

#include <algorithm>
#include <cstdio>

namespace lark {
namespace {

constexpr std::string_view kPrefix = "larkspan-";
constexpr std::string_view kType = ".dmp";

bool Digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string DumpFileName(const DumpTime& at, uint32_t processId) {
    char name[64];
    std::snprintf(name, sizeof name, "larkspan-%04d%02d%02d-%02d%02d%02d-%03d-%lu.dmp", at.year, at.month, at.day,
                  at.hour, at.minute, at.second, at.millisecond, static_cast<unsigned long>(processId));
    return name;
}

bool IsDumpFileName(std::string_view name) {
    // larkspan-YYYYMMDD-HHMMSS-mmm-PID.dmp, letter case as the file system may give it.
    if (name.size() <= kPrefix.size() + kType.size()) return false;
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    const std::string_view text(lower);
    if (text.substr(0, kPrefix.size()) != kPrefix || text.substr(text.size() - kType.size()) != kType) return false;
    const std::string_view stem = text.substr(kPrefix.size(), text.size() - kPrefix.size() - kType.size());
    // 8 + 1 + 6 + 1 + 3 + 1 characters before the process id.
    return stem.size() > 20 && Digits(stem.substr(0, 8)) && stem[8] == '-' && Digits(stem.substr(9, 6)) &&
           stem[15] == '-' && Digits(stem.substr(16, 3)) && stem[19] == '-' && Digits(stem.substr(20));
}

std::vector<std::string> DumpsToDelete(std::vector<std::string> names, size_t keep) {
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return !IsDumpFileName(n); }),
                names.end());
    // The moment is in the first 19 characters after the prefix; the process
    // id only tells apart dumps of one millisecond.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string_view ta = std::string_view(a).substr(kPrefix.size(), 19);
        const std::string_view tb = std::string_view(b).substr(kPrefix.size(), 19);
        return ta != tb ? ta < tb : a < b;
    });
    const size_t remain = keep > 0 ? keep - 1 : 0;
    if (names.size() <= remain) return {};
    names.resize(names.size() - remain);
    return names;
}

}  // namespace lark
