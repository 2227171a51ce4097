// Creating the program's one window and running its message loop.
#pragma once

#include "base/platform.h"

// Initialises the common controls, creates the hidden settings window from its dialog
// resource, gives it its icons, puts the saved rules of "config.txt" in force, registers it
// for the watched power settings and centres it. Null, with nothing else done, when the
// dialog cannot be created.
HWND CreateSettingsDialog(HINSTANCE instance);
// Places the window in the middle of the primary screen, keeping its size and Z order.
void CentreWindow(HWND window);
// The process's exit code when the window cannot be created; nothing is shown then.
constexpr int kNoWindowExitCode = 1;
// Hands one message of the loop to the dialog manager of the settings window (window) and of
// the program rules window, which take the keys that work a dialog, and translates and
// dispatches every other.
void DispatchLoopMessage(HWND window, MSG* message);
// Creates the window and runs the message loop until WM_QUIT (or an error); returns the wParam
// of the last message retrieved, or kNoWindowExitCode at once when there is no window.
int RunProgram(HINSTANCE instance);
