#include "base/Unicode.h"

namespace lark {
namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

struct BaseLetters {
    char32_t first;
    char32_t last;
    const char* letters;
};

// The letters under the accented ones of Latin-1 and Latin Extended-A.
constexpr BaseLetters kBaseLetters[] = {
    {0xC0, 0xC5, "a"},   {0xC6, 0xC6, "ae"},  {0xC7, 0xC7, "c"},   {0xC8, 0xCB, "e"},   {0xCC, 0xCF, "i"},
    {0xD0, 0xD0, "d"},   {0xD1, 0xD1, "n"},   {0xD2, 0xD6, "o"},   {0xD8, 0xD8, "o"},   {0xD9, 0xDC, "u"},
    {0xDD, 0xDD, "y"},   {0xDE, 0xDE, "th"},  {0xDF, 0xDF, "ss"},  {0xE0, 0xE5, "a"},   {0xE6, 0xE6, "ae"},
    {0xE7, 0xE7, "c"},   {0xE8, 0xEB, "e"},   {0xEC, 0xEF, "i"},   {0xF0, 0xF0, "d"},   {0xF1, 0xF1, "n"},
    {0xF2, 0xF6, "o"},   {0xF8, 0xF8, "o"},   {0xF9, 0xFC, "u"},   {0xFD, 0xFD, "y"},   {0xFE, 0xFE, "th"},
    {0xFF, 0xFF, "y"},   {0x100, 0x105, "a"}, {0x106, 0x10D, "c"}, {0x10E, 0x111, "d"}, {0x112, 0x11B, "e"},
    {0x11C, 0x123, "g"}, {0x124, 0x127, "h"}, {0x128, 0x131, "i"}, {0x132, 0x133, "ij"}, {0x134, 0x135, "j"},
    {0x136, 0x138, "k"}, {0x139, 0x142, "l"}, {0x143, 0x14B, "n"}, {0x14C, 0x151, "o"}, {0x152, 0x153, "oe"},
    {0x154, 0x159, "r"}, {0x15A, 0x161, "s"}, {0x162, 0x167, "t"}, {0x168, 0x173, "u"}, {0x174, 0x175, "w"},
    {0x176, 0x178, "y"}, {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"},
};

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (IsSurrogate(c) || c > 0x10FFFF) c = kReplacementChar;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t NextCodePoint(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int length = 0;
    char32_t c = 0;
    // The second byte's range excludes overlong forms, surrogates and values
    // above U+10FFFF, so a sequence that passes is well formed.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kReplacementChar;
    }
    for (int i = 1; i < length; ++i) {
        if (pos >= text.size()) return kReplacementChar;
        const auto b = static_cast<unsigned char>(text[pos]);
        if (i == 1 ? (b < low || b > high) : !IsContinuation(b)) return kReplacementChar;
        c = (c << 6) | (b & 0x3F);
        ++pos;
    }
    return c;
}

std::string SanitizeUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) AppendUtf8(out, NextCodePoint(bytes, pos));
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t next = unit(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, u);  // a lone surrogate becomes U+FFFD there
    }
    if (bytes.size() % 2 != 0) AppendUtf8(out, kReplacementChar);
    return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    auto put = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = NextCodePoint(utf8, pos);
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

char32_t FoldCase(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) return 'i';
        if (c == 0x178) return 0xFF;
        if (c == 0x17F) return 's';
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149) return c;
        return oddUpper ? (c % 2 == 1 ? c + 1 : c) : (c % 2 == 0 ? c + 1 : c);
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
    return c;
}

std::string FoldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) AppendUtf8(out, FoldCase(NextCodePoint(utf8, pos)));
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (FoldCase(NextCodePoint(a, i)) != FoldCase(NextCodePoint(b, j))) return false;
    return i == a.size() && j == b.size();
}

void AppendSearchFold(std::string& out, char32_t c) {
    if (c >= 0x300 && c <= 0x36F) return;  // a combining accent
    if (c >= 0xC0 && c <= 0x17F) {
        for (const BaseLetters& b : kBaseLetters) {
            if (c >= b.first && c <= b.last) {
                out += b.letters;
                return;
            }
        }
    }
    AppendUtf8(out, FoldCase(c));
}

std::string FoldForSearch(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) AppendSearchFold(out, NextCodePoint(utf8, pos));
    return out;
}

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace lark
