#pragma once
// Where crash dumps go and how many stay: each is named by the moment it
// was made, so names sort by age, and the newest five are kept.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lark {

inline constexpr size_t kDumpsKept = 5;

struct DumpTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "larkspan-YYYYMMDD-HHMMSS-mmm-<process id>.dmp".
std::string DumpFileName(const DumpTime& at, uint32_t processId);
// A name DumpFileName makes; other files in the folder are never touched.
bool IsDumpFileName(std::string_view name);

// The dumps in a folder to delete, oldest first, so that with one more
// written `keep` remain.
std::vector<std::string> DumpsToDelete(std::vector<std::string> names, size_t keep = kDumpsKept);

}  // namespace lark
