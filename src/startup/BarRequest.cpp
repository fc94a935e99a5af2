#include "startup/BarRequest.h"

#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark {
namespace {

constexpr uint32_t kHasSection = 1;

void Put(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutText(std::string& out, const std::string& text) {
    Put(out, static_cast<uint32_t>(text.size()));
    out += text;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<uint32_t> Number() {
        if (bytes_.size() - at_ < 4) return std::nullopt;
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes_[at_ + static_cast<size_t>(i)]);
        at_ += 4;
        return value;
    }

    // Well-formed UTF-8 with no NUL, which no path or name holds.
    std::optional<std::string> Text() {
        const std::optional<uint32_t> size = Number();
        if (!size || *size > bytes_.size() - at_) return std::nullopt;
        std::string text(bytes_.substr(at_, *size));
        at_ += *size;
        if (text.find('\0') != std::string::npos || SanitizeUtf8(text) != text) return std::nullopt;
        return text;
    }

    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t at_ = 0;
};

}  // namespace

std::string EncodeBarRequest(const BarRequest& request) {
    if (request.paths.size() > kBarRequestPathLimit) Raise(kErrOverflow);
    std::string out;
    Put(out, kBarRequestMagic);
    Put(out, kBarRequestVersion);
    Put(out, static_cast<uint32_t>(request.action));
    Put(out, request.section ? kHasSection : 0);
    Put(out, static_cast<uint32_t>(request.paths.size()));
    if (request.section) PutText(out, *request.section);
    for (const std::string& path : request.paths) {
        if (out.size() + 4 + path.size() > kBarRequestLimit) Raise(kErrOverflow);
        PutText(out, path);
    }
    if (out.size() > kBarRequestLimit) Raise(kErrOverflow);
    return out;
}

std::optional<BarRequest> DecodeBarRequest(std::string_view bytes) {
    if (bytes.size() > kBarRequestLimit) return std::nullopt;
    Reader read(bytes);
    const std::optional<uint32_t> magic = read.Number();
    const std::optional<uint32_t> version = read.Number();
    const std::optional<uint32_t> action = read.Number();
    const std::optional<uint32_t> flags = read.Number();
    const std::optional<uint32_t> count = read.Number();
    if (!count || *magic != kBarRequestMagic || *version != kBarRequestVersion) return std::nullopt;
    if ((*flags & ~kHasSection) != 0 || *count > kBarRequestPathLimit) return std::nullopt;
    BarRequest request;
    if (*action == static_cast<uint32_t>(BarRequest::Action::Add)) {
        request.action = BarRequest::Action::Add;
        if (*count == 0) return std::nullopt;
    } else if (*action == static_cast<uint32_t>(BarRequest::Action::Show)) {
        request.action = BarRequest::Action::Show;
        if (*count != 0) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (*flags & kHasSection) {
        request.section = read.Text();
        if (!request.section) return std::nullopt;
    }
    for (uint32_t i = 0; i < *count; ++i) {
        std::optional<std::string> path = read.Text();
        if (!path || path->empty()) return std::nullopt;
        request.paths.push_back(std::move(*path));
    }
    if (!read.AtEnd()) return std::nullopt;
    return request;
}

}  // namespace lark
