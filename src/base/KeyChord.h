#pragma once
// A key chord for the global hotkey: modifier keys and one key, with the
// plain text form the settings store keeps ("Win+Alt+L").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lark {

// The modifier bits as RegisterHotKey takes them (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT, MOD_WIN).
inline constexpr uint32_t kModAlt = 0x1;
inline constexpr uint32_t kModCtrl = 0x2;
inline constexpr uint32_t kModShift = 0x4;
inline constexpr uint32_t kModWin = 0x8;

struct KeyChord {
    uint32_t modifiers = 0;
    uint32_t key = 0;  // a virtual-key code; 0 is no chord at all

    bool None() const { return key == 0; }
    friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// Windows 10 and 11 use no Win+Alt chord on L (Game Bar and the Office key
// take others), and L is easy to remember for Larkspan.
inline constexpr KeyChord kDefaultHotkey{kModWin | kModAlt, 'L'};

// "Win+Ctrl+Alt+Shift+Key" with the modifiers present, in that order; ""
// for none. Keys without a name of their own read "0xNN".
std::string FormatKeyChord(const KeyChord& chord);

// The text form back, modifiers in any order and letter case, blanks around
// the parts ignored; "" is none. nullopt for text that names no chord.
std::optional<KeyChord> ParseKeyChord(std::string_view text);

// Why a chord cannot serve as the hotkey (a sentence for the Options
// dialog), or "" when it can. None is fine: it means no hotkey.
std::string KeyChordProblem(const KeyChord& chord);

}  // namespace lark
