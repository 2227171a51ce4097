// At most one Quillmere in a user's session. A second start (a double click on the exe while
// the one started at log-on hides in the tray, say) adds no icon and switches nothing: it asks
// the running one to show its settings window and ends.
#pragma once

#include "base/platform.h"

// True when no other Quillmere runs in this session; the process then holds the session's
// name for its whole run. A Quillmere of another session does not count; one that runs
// elevated does, though its name may not be opened.
bool ClaimSessionInstance();
// Lets one message of processes with fewer rights reach a window of a Quillmere that runs
// elevated ("as administrator"); message 0 is passed over.
void AcceptLowerRightsMessage(HWND window, UINT message);
// The same for the running one's window: a second start's request to show the settings window,
// the command it carries (WM_COPYDATA), and the shell's TaskbarCreated (0 when not registered).
void AcceptLowerRightsMessages(HWND window, UINT taskbarCreated);
// Whether a Quillmere runs in this session; the name is only looked at, never taken.
bool IsInstanceRunning();
// The running Quillmere's window, waited for a while, as it may still be being created; null
// when none appears.
HWND FindRunningWindow();
// Asks the Quillmere already running in this session to show its settings window. Posted, not
// sent, so a running one that stopped responding cannot hold this process.
void ShowRunningInstance();
