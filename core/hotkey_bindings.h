// What each hotkey does, and the text of "hotkeys.txt" that keeps it. No platform call.
#pragma once

#include <cstddef>
#include <vector>

#include "guid.h"
#include "hotkey.h"

struct HotkeyBinding {
    bool next;    // the key steps to the next mode or plan; target is then unused
    GUID target;  // a plan, or a power mode (the Balanced mode is the all-zero identifier)
    Hotkey key;   // usable (IsUsableHotkey)
};

// Reads "hotkeys.txt": one binding a line, the target's identifier in braced form or the word
// "next" (either case), a tab, then the key text (ParseHotkeyText), in UTF-8, the line ending in
// LF or CR LF; a UTF-8 byte-order mark at the start is skipped. A line that cannot be read is
// skipped, and so is a line whose key is already bound in *bindings (one key does one thing: the
// first line wins); two keys for one target are kept. The others are appended. Since each key is
// bound once, the list never grows past the number of usable hotkeys, whatever the file's size.
void ReadHotkeyBindings(const char* bytes, size_t length, std::vector<HotkeyBinding>* bindings);

// The file's text for the bindings, each line ending in CR LF, the key in its canonical form and
// "next" in small letters. A binding whose key is not usable is left out.
void FormatHotkeyBindings(const std::vector<HotkeyBinding>& bindings, std::vector<char>* text);
