// Program rules in action: following the foreground window, without polling, while there is a
// rule, switching to what the rules call for, and bringing back what was in force before them.
#pragma once

#include "base/platform.h"

// Follows the foreground with the system's event (EVENT_SYSTEM_FOREGROUND, out of context, so
// it arrives on this thread through the message loop) while there is a program rule, and with
// no hook at all while there is none. Call after the rules change: the program in front then
// acts at once under the rules as they are, and a rule that went gives back what it replaced.
void WatchForeground();
// Ends the rules' turn as the program ends (Exit, log-off, shut-down): what would be in force
// without them comes back, and the following stops.
void EndProgramRules();
// A window came to the front: the shell's passing surfaces and the program's own windows change
// nothing, the desktop is a program without a rule, a Store app's frame stands for the app.
void HandleForegroundWindow(HWND window);
// A program's window came to the front; image is the full path of the program's exe (empty for
// one without a rule).
void HandleForegroundProgram(const WCHAR* image);
// The settle timer fired: a program without a rule held the front long enough.
void SettleReturn();
