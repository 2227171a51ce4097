// Program rules in action: following the foreground window, without polling, while there is a
// rule, and switching to what the rules call for.
#pragma once

#include "app/platform.h"

// Follows the foreground with the system's event (EVENT_SYSTEM_FOREGROUND, out of context, so
// it arrives on this thread through the message loop) while there is a program rule, and with
// no hook at all while there is none. Call after the rules change.
void WatchForeground();
// Ends the following, as the program ends.
void StopWatchingForeground();
// A program's window came to the front; image is the full path of the program's exe.
void HandleForegroundProgram(const WCHAR* image);
