// A global hotkey (modifiers and a virtual-key code) and its text as people write it,
// "Ctrl+Alt+P" or "Win+Shift+F9". No platform call.
#pragma once

#include <cstddef>

// RegisterHotKey's modifier flags and virtual-key codes, by their numeric values: core sees no
// <windows.h>, and names of its own cannot clash with the platform's macros.
constexpr unsigned kModAlt = 0x1;
constexpr unsigned kModControl = 0x2;
constexpr unsigned kModShift = 0x4;
constexpr unsigned kModWin = 0x8;
constexpr unsigned kModAll = kModAlt | kModControl | kModShift | kModWin;

constexpr unsigned kVkFirstDigit = 0x30;   // '0' .. '9': 0x30 .. 0x39
constexpr unsigned kVkFirstLetter = 0x41;  // 'A' .. 'Z': 0x41 .. 0x5A
constexpr unsigned kVkF1 = 0x70;           // F1 .. F24: 0x70 .. 0x87
constexpr unsigned kVkF24 = 0x87;
constexpr unsigned kVkFirstNumpad = 0x60;  // Num0 .. Num9: 0x60 .. 0x69

struct Hotkey {
    unsigned modifiers;  // kMod* flags only (the platform adds MOD_NOREPEAT when it registers)
    unsigned key;        // a virtual-key code
};

// A hotkey the program takes: a key it can name (a letter, a digit, F1-F24 or one of the named
// keys), no modifier but the four, and at least one of Ctrl, Alt or Win unless the key is
// F1-F24, so that no global hotkey steals a letter or Shift plus a letter from typing.
bool IsUsableHotkey(const Hotkey& hotkey);

// Reads key text: modifiers, then exactly one key, joined by '+'; letters of either case;
// spaces around a part are allowed. The modifiers are Ctrl (or Control), Alt, Shift and Win,
// each at most once, in any order. The keys are A-Z, 0-9, F1-F24, Space, Enter (Return), Tab,
// Esc (Escape), Backspace, Insert (Ins), Delete (Del), Home, End, PageUp (PgUp), PageDown
// (PgDn), Up, Down, Left, Right, Pause, Num0-Num9, NumMultiply, NumAdd, NumSubtract,
// NumDecimal, NumDivide, and the four punctuation keys every layout has in the same place of
// meaning: Plus, Minus (or "-"), Comma (or ","), Period (or "."). False for anything else, or
// for a hotkey that is not usable; *hotkey is then untouched.
bool ParseHotkeyText(const char* text, size_t length, Hotkey* hotkey);

// "Win+Ctrl+Alt+Shift+" (19) and the longest key name (11, "NumMultiply"), with a terminator.
constexpr size_t kHotkeyTextCapacity = 32;

// Writes the canonical form, the modifiers in the order Win, Ctrl, Alt, Shift and each name in
// its first spelling above ("ctrl+alt+ins" becomes "Ctrl+Alt+Insert"). For a hotkey that is not
// usable, writes empty text and returns false.
bool FormatHotkeyText(const Hotkey& hotkey, char (&text)[kHotkeyTextCapacity]);
bool FormatHotkeyText(const Hotkey& hotkey, wchar_t (&text)[kHotkeyTextCapacity]);

inline bool IsSameHotkey(const Hotkey& a, const Hotkey& b)
{
    return a.modifiers == b.modifiers && a.key == b.key;
}
