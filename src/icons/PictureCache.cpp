#include "icons/PictureCache.h"

#include "base/Hash.h"
#include "base/Unicode.h"

namespace lark {
namespace {

constexpr std::string_view kMagic = "LKPICS01";
constexpr int kLargestPx = 256;
constexpr uint32_t kMostEntries = 1'000'000;

size_t MaskBytes(int sizePx) { return IconPixels::MaskRowBytes(sizePx) * static_cast<size_t>(sizePx); }

uint64_t Checksum(std::string_view bytes) { return Fnv1a64(bytes); }

class Writer {
public:
    void U8(uint8_t v) { out_ += static_cast<char>(v); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void U64(uint64_t v) {
        for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Bytes(std::string_view b) {
        U32(static_cast<uint32_t>(b.size()));
        out_ += b;
    }
    void Icon(const IconPixels& icon) {
        for (uint32_t pixel : icon.colour) U32(pixel);
        out_.append(reinterpret_cast<const char*>(icon.mask.data()), icon.mask.size());
    }
    std::string& Out() { return out_; }

private:
    std::string out_;
};

// Reads until the data runs out; then every read fails and yields zeros.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    bool Ok() const { return ok_; }
    bool Need(size_t n) {
        if (!ok_ || in_.size() - pos_ < n) ok_ = false;
        return ok_;
    }
    uint8_t U8() { return Need(1) ? static_cast<uint8_t>(in_[pos_++]) : 0; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(U8()) << (8 * i);
        return v;
    }
    uint64_t U64() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(U8()) << (8 * i);
        return v;
    }
    std::string Bytes() {
        const uint32_t n = U32();
        if (!Need(n)) return {};
        std::string s(in_.substr(pos_, n));
        pos_ += n;
        return s;
    }
    std::optional<IconPixels> Icon(int sizePx) {
        IconPixels icon;
        icon.sizePx = sizePx;
        const size_t pixels = static_cast<size_t>(sizePx) * static_cast<size_t>(sizePx);
        if (!Need(pixels * 4 + MaskBytes(sizePx))) return std::nullopt;
        icon.colour.resize(pixels);
        for (uint32_t& pixel : icon.colour) pixel = U32();
        icon.mask.assign(in_.begin() + static_cast<std::ptrdiff_t>(pos_),
                         in_.begin() + static_cast<std::ptrdiff_t>(pos_ + MaskBytes(sizePx)));
        pos_ += MaskBytes(sizePx);
        return icon;
    }
    bool AtEnd() const { return pos_ == in_.size(); }

private:
    std::string_view in_;
    size_t pos_ = 0;
    bool ok_ = true;
};

bool ValidSize(int px) { return px > 0 && px <= kLargestPx; }

}  // namespace

PictureCache PictureCache::Parse(std::string_view bytes) {
    PictureCache cache;
    if (bytes.size() < kMagic.size() + 8 || bytes.substr(0, kMagic.size()) != kMagic) return cache;
    const std::string_view body = bytes.substr(kMagic.size(), bytes.size() - kMagic.size() - 8);
    Reader tail(bytes.substr(bytes.size() - 8));
    if (tail.U64() != Checksum(body)) return cache;

    Reader in(body);
    const uint32_t count = in.U32();
    if (count > kMostEntries) return cache;
    for (uint32_t i = 0; i < count && in.Ok(); ++i) {
        Entry entry;
        entry.path = in.Bytes();
        TargetPictures& p = entry.pictures;
        p.fileSize = in.U64();
        p.writeTime = in.U64();
        p.smallPx = static_cast<int>(in.U32());
        p.largePx = static_cast<int>(in.U32());
        const uint8_t found = in.U8();
        if (!ValidSize(p.smallPx) || !ValidSize(p.largePx) || found > 3) return PictureCache();
        if (found & 1) p.small = in.Icon(p.smallPx);
        if (found & 2) p.large = in.Icon(p.largePx);
        if (!in.Ok()) return PictureCache();
        cache.entries_[FoldCase(entry.path)] = std::move(entry);
    }
    if (!in.Ok() || !in.AtEnd()) return PictureCache();
    return cache;
}

std::string PictureCache::Serialize() const {
    Writer body;
    uint32_t count = 0;
    for (const auto& [folded, entry] : entries_) count += entry.used ? 1 : 0;
    body.U32(count);
    for (const auto& [folded, entry] : entries_) {
        if (!entry.used) continue;
        const TargetPictures& p = entry.pictures;
        body.Bytes(entry.path);
        body.U64(p.fileSize);
        body.U64(p.writeTime);
        body.U32(static_cast<uint32_t>(p.smallPx));
        body.U32(static_cast<uint32_t>(p.largePx));
        body.U8(static_cast<uint8_t>((p.small ? 1 : 0) | (p.large ? 2 : 0)));
        if (p.small) body.Icon(*p.small);
        if (p.large) body.Icon(*p.large);
    }
    Writer out;
    out.Out() = std::string(kMagic) + body.Out();
    out.U64(Checksum(body.Out()));
    return out.Out();
}

const TargetPictures* PictureCache::Find(const std::string& path, uint64_t fileSize, uint64_t writeTime,
                                         int smallPx, int largePx) {
    auto it = entries_.find(FoldCase(path));
    if (it == entries_.end()) return nullptr;
    const TargetPictures& p = it->second.pictures;
    if (p.fileSize != fileSize || p.writeTime != writeTime || p.smallPx != smallPx || p.largePx != largePx)
        return nullptr;
    it->second.used = true;
    return &p;
}

void PictureCache::Put(const std::string& path, TargetPictures pictures) {
    // Pictures that do not fit their sizes would come back damaged.
    if (!ValidSize(pictures.smallPx) || !ValidSize(pictures.largePx)) return;
    if (pictures.small && (!pictures.small->Valid() || pictures.small->sizePx != pictures.smallPx)) return;
    if (pictures.large && (!pictures.large->Valid() || pictures.large->sizePx != pictures.largePx)) return;
    entries_[FoldCase(path)] = Entry{path, std::move(pictures), true};
    changed_ = true;
}

std::vector<std::string> PictureCache::UsedPaths() const {
    std::vector<std::string> paths;
    for (const auto& [folded, entry] : entries_)
        if (entry.used) paths.push_back(entry.path);
    return paths;
}

void PictureCache::Keep(const std::string& path) {
    if (auto it = entries_.find(FoldCase(path)); it != entries_.end()) it->second.used = true;
}

void PictureCache::Forget(const std::string& path) {
    if (entries_.erase(FoldCase(path)) != 0) changed_ = true;
}

}  // namespace lark
