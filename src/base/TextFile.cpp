#include "base/TextFile.h"

#include "base/Unicode.h"

namespace lark {
namespace {

std::string DecodeLine(std::string_view raw, TextEncoding encoding, IAnsiCodePage& ansi) {
    switch (encoding) {
        case TextEncoding::Utf8: return SanitizeUtf8(raw);
        case TextEncoding::Utf16Le: return Utf16LeToUtf8(raw);
        case TextEncoding::Ansi: break;
    }
    return ansi.ToUtf8(raw);
}

// Offset of the next CR LF at or after pos, in whole units of the encoding.
size_t FindLineEnd(std::string_view body, size_t pos, TextEncoding encoding) {
    if (encoding != TextEncoding::Utf16Le) return body.find("\r\n", pos);
    for (size_t i = pos; i + 3 < body.size(); i += 2)
        if (body[i] == '\r' && body[i + 1] == '\0' && body[i + 2] == '\n' && body[i + 3] == '\0') return i;
    return std::string_view::npos;
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) return TextEncoding::Utf8;
    if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) return TextEncoding::Utf16Le;
    return TextEncoding::Ansi;
}

std::string_view ByteOrderMark(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8: return kUtf8Bom;
        case TextEncoding::Utf16Le: return kUtf16LeBom;
        case TextEncoding::Ansi: break;
    }
    return {};
}

std::string LineEnd(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16Le ? std::string("\r\0\n\0", 4) : std::string("\r\n");
}

TextLines SplitTextLines(std::string_view bytes, IAnsiCodePage& ansi) {
    TextLines lines;
    lines.encoding = DetectEncoding(bytes);
    const std::string_view body = bytes.substr(ByteOrderMark(lines.encoding).size());
    if (body.empty()) return lines;
    const size_t separator = LineEnd(lines.encoding).size();
    size_t start = 0;
    for (;;) {
        const size_t end = FindLineEnd(body, start, lines.encoding);
        const std::string_view raw = body.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                                       : end - start);
        lines.raw.emplace_back(raw);
        lines.text.push_back(DecodeLine(raw, lines.encoding, ansi));
        if (end == std::string_view::npos) break;
        start = end + separator;
    }
    return lines;
}

std::string DecodeText(std::string_view bytes, IAnsiCodePage& ansi) {
    const TextLines lines = SplitTextLines(bytes, ansi);
    std::string out;
    for (size_t i = 0; i < lines.text.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += lines.text[i];
    }
    return out;
}

std::optional<std::string> EncodeLine(std::string_view utf8, TextEncoding encoding, IAnsiCodePage& ansi) {
    switch (encoding) {
        case TextEncoding::Utf8: return SanitizeUtf8(utf8);
        case TextEncoding::Utf16Le: return Utf8ToUtf16Le(utf8);
        case TextEncoding::Ansi: break;
    }
    return ansi.FromUtf8(utf8);
}

}  // namespace lark
