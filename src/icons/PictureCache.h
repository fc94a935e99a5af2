#pragma once
// The pictures extracted from program targets, kept between runs in one
// file, so a start extracts only what changed: an entry serves while its
// target's size and time and the asked pixel sizes are those it was made
// with. A damaged or foreign file reads as an empty cache.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/IconPixels.h"

namespace lark {

// What one target gave at the two sizes; nullopt where it had no icon.
struct TargetPictures {
    uint64_t fileSize = 0;
    uint64_t writeTime = 0;
    int smallPx = 0;
    int largePx = 0;
    std::optional<IconPixels> small;
    std::optional<IconPixels> large;
};

class PictureCache {
public:
    // Never raises: anything that does not read as a whole cache is none.
    static PictureCache Parse(std::string_view bytes);
    // Only the entries found, put or kept since the cache was read:
    // pictures of targets no longer on the bar are not kept.
    std::string Serialize() const;

    // The pictures of the target when it is unchanged and made at these
    // sizes. Paths compare without regard to letter case.
    const TargetPictures* Find(const std::string& path, uint64_t fileSize, uint64_t writeTime, int smallPx,
                               int largePx);
    void Put(const std::string& path, TargetPictures pictures);
    // The target is gone or unreadable.
    void Forget(const std::string& path);
    // The target is still on the bar, though its pictures are not asked
    // for now: its entry is written again as it stands.
    void Keep(const std::string& path);

    size_t Size() const { return entries_.size(); }
    // The targets whose entries Serialize writes.
    std::vector<std::string> UsedPaths() const;
    // Something found, put or forgotten since the last Serialize.
    bool Changed() const { return changed_; }
    void Saved() { changed_ = false; }

private:
    struct Entry {
        std::string path;
        TargetPictures pictures;
        bool used = false;
    };
    std::unordered_map<std::string, Entry> entries_;  // by folded path
    bool changed_ = false;
};

}  // namespace lark
