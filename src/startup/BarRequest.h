#pragma once
// What a second start of the program hands the bar that runs already, as
// the bytes of one WM_COPYDATA message. The bytes come from another
// process: they are read only after their length is checked, and taken
// only when every byte of them makes sense.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lark {

struct BarRequest {
    enum class Action : uint32_t { Add = 1, Show = 2 };
    Action action = Action::Show;
    // Add: full paths or web addresses, at least one.
    std::vector<std::string> paths;
    // Add: the section to add to; Show: the section to show.
    std::optional<std::string> section;

    bool operator==(const BarRequest&) const = default;
};

// The copy-data message's dwData: this program's requests, no other's.
inline constexpr uint32_t kBarRequestTag = 0x4B52414C;  // "LARK"
// The layout, little-endian: magic, version, action, flags (1: a section
// follows), path count, then the section and each path as a 32-bit byte
// count and that many bytes of UTF-8. A later layout takes a new version.
inline constexpr uint32_t kBarRequestMagic = 0x51524B4C;  // "LKRQ"
inline constexpr uint32_t kBarRequestVersion = 1;
// Explorer hands "Send to" its files on a command line of at most 32,767
// characters: three bytes of UTF-8 each, and room for the rest.
inline constexpr size_t kBarRequestLimit = 128 * 1024;
inline constexpr uint32_t kBarRequestPathLimit = 8192;

// Raises 6 (overflow) when the request does not fit the limits.
std::string EncodeBarRequest(const BarRequest& request);
// Nullopt unless the bytes are one whole request of this layout's version,
// within the limits, with no byte left over.
std::optional<BarRequest> DecodeBarRequest(std::string_view bytes);

}  // namespace lark
