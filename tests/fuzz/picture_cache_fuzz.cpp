// libFuzzer target: the picture cache file, read at every start from
// %LOCALAPPDATA%. Any bytes read as a cache or as none, never crash, hang or
// grow beyond what the bytes hold; a sealed body (magic and checksum made
// right) reaches the entry reader; and what the bar writes reads back as
// written, while any one byte changed in it reads as an empty cache.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Require.h"
#include "base/Hash.h"
#include "base/Unicode.h"
#include "icons/PictureCache.h"

namespace {

using namespace lark;
using namespace lark::fuzz;

// The smallest entry: path length, size, time, two sizes, the found mask.
constexpr size_t kSmallestEntry = 4 + 8 + 8 + 4 + 4 + 1;

std::string Sealed(std::string_view body) {
    std::string out = "LKPICS01";
    out += body;
    const uint64_t sum = Fnv1a64(body);
    for (int i = 0; i < 8; ++i) out += static_cast<char>((sum >> (8 * i)) & 0xFF);
    return out;
}

// Takes bytes off the front of the input; zeros once it is used up.
class Source {
public:
    explicit Source(std::string_view in) : in_(in) {}
    uint8_t Byte() {
        if (in_.empty()) return 0;
        const auto b = static_cast<uint8_t>(in_.front());
        in_.remove_prefix(1);
        return b;
    }
    uint64_t Number(int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(Byte()) << (8 * i);
        return v;
    }
    bool Empty() const { return in_.empty(); }
    std::optional<IconPixels> Icon(int sizePx) {
        if (Byte() % 2 == 0) return std::nullopt;
        IconPixels icon;
        icon.sizePx = sizePx;
        const auto pixels = static_cast<size_t>(sizePx) * static_cast<size_t>(sizePx);
        icon.colour.resize(pixels);
        const uint32_t seed = static_cast<uint32_t>(Number(4));
        for (size_t i = 0; i < pixels; ++i) icon.colour[i] = seed * static_cast<uint32_t>(i + 1);
        icon.mask.assign(IconPixels::MaskRowBytes(sizePx) * static_cast<size_t>(sizePx), Byte());
        return icon;
    }

private:
    std::string_view in_;
};

bool SamePictures(const TargetPictures& a, const TargetPictures& b) {
    auto same = [](const std::optional<IconPixels>& x, const std::optional<IconPixels>& y) {
        return x.has_value() == y.has_value() &&
               (!x || (x->sizePx == y->sizePx && x->colour == y->colour && x->mask == y->mask));
    };
    return a.fileSize == b.fileSize && a.writeTime == b.writeTime && a.smallPx == b.smallPx &&
           a.largePx == b.largePx && same(a.small, b.small) && same(a.large, b.large);
}

void RoundTrip(std::string_view input) {
    Source source(input);
    PictureCache cache;
    std::map<std::string, std::pair<std::string, TargetPictures>> put;  // the last of each path, case folded
    for (int n = 0; n < 8 && !source.Empty(); ++n) {
        std::string path(source.Byte() % 12, 'a');
        for (char& c : path) {
            const uint8_t b = source.Byte();
            c = static_cast<char>((b & 4 ? 'a' : 'A') + b % 4);
        }
        TargetPictures p;
        p.fileSize = source.Number(8);
        p.writeTime = source.Number(8);
        p.smallPx = 1 + source.Byte() % 20;
        p.largePx = 1 + source.Byte() % 40;
        p.small = source.Icon(p.smallPx);
        p.large = source.Icon(p.largePx);
        cache.Put(path, p);
        put[FoldCase(path)] = {path, p};
    }
    const std::string bytes = cache.Serialize();
    PictureCache back = PictureCache::Parse(bytes);
    Require(back.Size() == put.size(), "a written cache reads back with other entries");
    for (const auto& [folded, entry] : put) {
        const auto& [path, p] = entry;
        const TargetPictures* found = back.Find(path, p.fileSize, p.writeTime, p.smallPx, p.largePx);
        Require(found != nullptr, "a written entry is not found");
        Require(SamePictures(*found, p), "a written entry reads back changed");
        Require(back.Find(path, p.fileSize + 1, p.writeTime, p.smallPx, p.largePx) == nullptr,
                "an entry serves a target of another size");
    }
    if (!bytes.empty()) {
        std::string damaged = bytes;
        damaged[source.Number(4) % damaged.size()] ^= static_cast<char>(1 + source.Byte() % 255);
        Require(PictureCache::Parse(damaged).Size() == 0, "a damaged cache is read");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0: {
            const PictureCache cache = PictureCache::Parse(rest);
            Require(cache.Size() <= rest.size() / kSmallestEntry, "more entries than the bytes can hold");
            break;
        }
        case 1: {
            const PictureCache cache = PictureCache::Parse(Sealed(rest));
            Require(cache.Size() <= rest.size() / kSmallestEntry, "more entries than the bytes can hold");
            Require(!cache.Changed(), "reading changed the cache");
            break;
        }
        default: RoundTrip(rest); break;
    }
    return 0;
}
