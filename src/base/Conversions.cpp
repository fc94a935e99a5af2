#include "base/Conversions.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/RuntimeError.h"

namespace lark {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::optional<double> ParseRadix(const std::string& digits, int radix) {
    if (digits.empty() || digits.size() > 16) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        if (d >= radix) return std::nullopt;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    }
    // Up to four hex digits are a 16-bit literal, up to eight a 32-bit one:
    // "&HFFFF" is -1, as Windows users of such literals expect.
    if (radix == 16 && digits.size() <= 4) return static_cast<double>(static_cast<int16_t>(value));
    if (radix == 16 && digits.size() <= 8) return static_cast<double>(static_cast<int32_t>(value));
    return static_cast<double>(value);
}

template <class Int>
Int ToWhole(const std::string& text) {
    const std::optional<double> number = ParseNumber(text);
    if (!number) Raise(kErrTypeMismatch);
    const double rounded = RoundHalfEven(*number);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max())))
        Raise(kErrOverflow);
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> ParseNumber(const std::string& raw) {
    const std::string text = Trim(raw);
    if (text.size() > 2 && text[0] == '&') {
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
        if (kind == 'H') return ParseRadix(text.substr(2), 16);
        if (kind == 'O') return ParseRadix(text.substr(2), 8);
        return std::nullopt;
    }
    // Sign, digits (with thousands separators between digits), optional
    // fraction, optional exponent; nothing else.
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    bool digits = false;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            plain += c;
            digits = true;
        } else if (c == ',' && digits && i + 1 < text.size() &&
                   std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            // thousands separator: skipped
        } else {
            break;
        }
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        plain += text[i++];
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            plain += text[i++];
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::string exponent = "e";
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        bool expDigits = false;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            exponent += text[j++];
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
        plain += exponent;
        i = j;
    }
    if (i != text.size()) return std::nullopt;
    const double value = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

double RoundHalfEven(double value) {
    // nearbyint follows the current rounding mode, which the program never
    // changes from round-to-nearest-even.
    return std::nearbyint(value);
}

int16_t ToInt16(const std::string& text) { return ToWhole<int16_t>(text); }
int32_t ToInt32(const std::string& text) { return ToWhole<int32_t>(text); }

bool ToBool(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (EqualsNoCase(trimmed, "True")) return true;
    if (EqualsNoCase(trimmed, "False")) return false;
    const std::optional<double> number = ParseNumber(trimmed);
    if (!number) Raise(kErrTypeMismatch);
    return *number != 0.0;
}

std::string FormatNumber(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        return buffer;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string FormatBool(bool value) { return value ? "True" : "False"; }

}  // namespace lark
