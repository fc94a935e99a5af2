#include "base/KeyChord.h"

#include <cstdio>

#include "base/Texts.h"
#include "base/Unicode.h"

namespace lark {
namespace {

struct KeyName {
    uint32_t key;
    const char* name;
};

// Names of the keys that are neither a letter, a digit nor F1 to F24. The
// punctuation keys go by what they show on a US keyboard.
constexpr KeyName kKeyNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},         {0x0D, "Enter"},       {0x13, "Pause"},
    {0x1B, "Esc"},       {0x20, "Space"},       {0x21, "PageUp"},      {0x22, "PageDown"},
    {0x23, "End"},       {0x24, "Home"},        {0x25, "Left"},        {0x26, "Up"},
    {0x27, "Right"},     {0x28, "Down"},        {0x2C, "PrintScreen"}, {0x2D, "Insert"},
    {0x2E, "Delete"},    {0x6A, "NumMultiply"}, {0x6B, "NumAdd"},      {0x6D, "NumSubtract"},
    {0x6E, "NumDecimal"}, {0x6F, "NumDivide"},  {0x90, "NumLock"},     {0x91, "ScrollLock"},
    {0xBA, ";"},         {0xBB, "="},           {0xBC, ","},           {0xBD, "-"},
    {0xBE, "."},         {0xBF, "/"},           {0xC0, "`"},           {0xDB, "["},
    {0xDC, "\\"},        {0xDD, "]"},           {0xDE, "'"},
};

constexpr KeyName kModifierNames[] = {
    {kModWin, "Win"}, {kModCtrl, "Ctrl"}, {kModAlt, "Alt"}, {kModShift, "Shift"}};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool IsModifierKey(uint32_t key) {
    return (key >= 0x10 && key <= 0x12) || key == 0x5B || key == 0x5C || (key >= 0xA0 && key <= 0xA5);
}

std::string KeyText(uint32_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= 0x60 && key <= 0x69) return "Num" + std::to_string(key - 0x60);
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.key == key) return k.name;
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(key & 0xFF));
    return hex;
}

std::optional<uint32_t> ParseNumber(std::string_view digits, int base) {
    if (digits.empty() || digits.size() > 3) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        uint32_t d = 0;
        if (c >= '0' && c <= '9') {
            d = static_cast<uint32_t>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            d = static_cast<uint32_t>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            d = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * static_cast<uint32_t>(base) + d;
    }
    return value;
}

std::optional<uint32_t> ParseKey(std::string_view name) {
    if (name.size() == 1) {
        const char c = name[0];
        if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint32_t>(c);
    }
    for (const KeyName& k : kKeyNames)
        if (EqualsIgnoreCase(name, k.name)) return k.key;
    if (name.size() == 4 && EqualsIgnoreCase(name.substr(0, 3), "num")) {
        if (auto digit = ParseNumber(name.substr(3), 10)) return 0x60 + *digit;
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        auto n = ParseNumber(name.substr(1), 10);
        if (n && *n >= 1 && *n <= 24) return 0x70 + *n - 1;
    }
    if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        auto n = ParseNumber(name.substr(2), 16);
        if (n && *n >= 1 && *n <= 0xFE) return *n;
    }
    return std::nullopt;
}

}  // namespace

std::string FormatKeyChord(const KeyChord& chord) {
    if (chord.None()) return {};
    std::string text;
    for (const KeyName& m : kModifierNames)
        if (chord.modifiers & m.key) text += std::string(m.name) + "+";
    return text + KeyText(chord.key);
}

std::optional<KeyChord> ParseKeyChord(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return KeyChord{};
    KeyChord chord;
    for (;;) {
        const size_t plus = text.find('+');
        const std::string_view part = Trim(text.substr(0, plus));
        if (plus == std::string_view::npos) {
            const std::optional<uint32_t> key = ParseKey(part);
            if (!key || IsModifierKey(*key)) return std::nullopt;
            chord.key = *key;
            return chord;
        }
        bool known = false;
        for (const KeyName& m : kModifierNames) {
            if (EqualsIgnoreCase(part, m.name)) {
                chord.modifiers |= m.key;
                known = true;
            }
        }
        if (EqualsIgnoreCase(part, "Control")) {
            chord.modifiers |= kModCtrl;
            known = true;
        }
        if (!known) return std::nullopt;
        text.remove_prefix(plus + 1);
    }
}

std::string KeyChordProblem(const KeyChord& chord) {
    if (chord.None()) return {};
    if ((chord.modifiers & (kModCtrl | kModAlt | kModWin)) == 0) return Text(IDS_HOTKEY_NEEDS_MODIFIER);
    // The session lock sits below every registration: the chord would
    // never arrive.
    if (chord.modifiers == kModWin && chord.key == 'L') return Text(IDS_HOTKEY_WIN_L);
    return {};
}

}  // namespace lark
