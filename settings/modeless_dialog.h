// The small windows the tray menu opens beside the settings window (program rules, hotkeys):
// modeless dialogs made on first use and kept until their owner goes.
#pragma once

#include "base/platform.h"

// Brings *window to the front when it is shown already, and returns null. Otherwise makes it
// from its dialog resource when there is none yet (owned by owner, so it goes with it) and
// returns it, to be filled and then shown with PresentModelessDialog; null when it cannot be made.
HWND OpenModelessDialog(HWND owner, WORD resource, DLGPROC procedure, HWND* window);
// Shows the filled window in front.
void PresentModelessDialog(HWND window);
