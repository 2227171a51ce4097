// The global hotkeys: registered with the platform for the window, and what a press does.
#pragma once

#include "base/platform.h"
#include "core/hotkey.h"

// Gives the platform each live hotkey, as id index + 1, after taking back every one given
// before. A key another program holds is marked taken; the others still work. Nothing is
// asked of the platform while there is no hotkey.
void RegisterHotkeys(HWND window);
// Whether another program held the key when the live hotkeys were last registered.
bool IsHotkeyTaken(const Hotkey& key);
// Takes back every hotkey given to the platform: while the hotkeys window is open, a key typed
// into it reaches its hotkey control rather than switching. The taken marks stay.
void UnregisterHotkeys(HWND window);
// A press, from WM_HOTKEY: "next" steps on, any other switches to its target, and the switch is
// announced as a menu choice is. An id that is not one of ours does nothing.
void RunHotkey(WPARAM id);
