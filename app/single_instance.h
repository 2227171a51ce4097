// At most one Quillmere in a user's session. A second start (a double click on the exe while
// the one started at log-on hides in the tray, say) adds no icon and switches nothing: it asks
// the running one to show its settings window and ends.
#pragma once

#include "base/platform.h"

// True when no other Quillmere runs in this session; the process then holds the session's
// name for its whole run. A Quillmere of another session does not count; one that runs
// elevated does, though its name may not be opened.
bool ClaimSessionInstance();
// Lets the messages of processes with fewer rights reach the window of a Quillmere that runs
// elevated: a second start's request to show the settings window, and the shell's
// TaskbarCreated (0 when not registered).
void AcceptLowerRightsMessages(HWND window, UINT taskbarCreated);
// Asks the Quillmere already running in this session to show its settings window. Posted, not
// sent, so a running one that stopped responding cannot hold this process.
void ShowRunningInstance();
