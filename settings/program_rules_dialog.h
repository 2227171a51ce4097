// The program rules window: the rules as a list, a program added from its exe or from a running
// program's window, its plan or power mode chosen, OK saves "programs.txt".
#pragma once

#include "base/platform.h"

// Shows the window (made on first use, owned by the settings window), filled from the live
// rules, or brings it to the front when it is shown already.
void ShowProgramRules(HWND owner);
// The window, once made and until it goes; null before. The message loop hands it the dialog
// manager's keys.
HWND ProgramRulesWindow();
