// The hotkeys window: "Next", the installed plans and the power modes as a list with their keys,
// the common hotkey control for the selected one, Clear; OK saves "hotkeys.txt" and puts the
// keys in force.
#pragma once

#include "base/platform.h"

// Shows the window (made on first use, owned by the settings window, which the hotkeys are
// registered for), filled from the live hotkeys, or brings it to the front when it is shown.
// While it is shown no hotkey is registered, so that each key pressed in it reaches it.
void ShowHotkeys(HWND owner);
// The window, once made and until it goes; null before. The message loop hands it the dialog
// manager's keys.
HWND HotkeysWindow();
