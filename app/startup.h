// Creating the program's one window and running its message loop.
#pragma once

#include "app/platform.h"

// Initialises the common controls, creates the hidden settings window from its dialog
// resource, gives it its icons, puts the saved rules of "config.txt" in force, registers it
// for the watched power settings and centres it.
HWND CreateSettingsWindow(HINSTANCE instance);
// Places the window in the middle of the primary screen, keeping its size and Z order.
void CentreWindow(HWND window);
// Runs until WM_QUIT (or an error) and returns the wParam of the last message retrieved.
int RunMessageLoop();
