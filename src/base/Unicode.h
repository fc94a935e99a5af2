#pragma once
// UTF-8 and UTF-16LE without the platform: the catalogue and settings.ini
// may be stored in either, and names are compared the way the file's own
// readers compare them (letter case ignored).
#include <cstdint>
#include <string>
#include <string_view>

namespace lark {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Appends one code point as UTF-8 (surrogates and values above U+10FFFF
// become U+FFFD).
void AppendUtf8(std::string& out, char32_t c);

// Decodes UTF-8 one code point at a time; an ill-formed sequence yields
// U+FFFD and consumes its maximal valid prefix (at least one byte).
char32_t NextCodePoint(std::string_view text, size_t& pos);

// Well-formed UTF-8 for any bytes: every ill-formed sequence becomes U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// Little-endian UTF-16 bytes (no byte-order mark) to UTF-8. A lone
// surrogate or a trailing odd byte becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// UTF-8 to little-endian UTF-16 bytes, no byte-order mark.
std::string Utf8ToUtf16Le(std::string_view utf8);

// Letter case folded for comparisons: ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and full-width Latin letters.
char32_t FoldCase(char32_t c);
std::string FoldCase(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// One code point as a search compares it: case folded and accents dropped
// (Latin-1, Latin Extended-A, combining marks), so "É" finds "e"; a few
// letters become two ("ß" is "ss", "Æ" is "ae"). Appends nothing for a
// combining mark.
void AppendSearchFold(std::string& out, char32_t c);
std::string FoldForSearch(std::string_view utf8);

// ASCII letters upper-cased, as file types and cached picture names compare.
std::string UpperCase(std::string text);

}  // namespace lark
