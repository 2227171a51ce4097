// The tray icon's context menu.
#pragma once

#include "base/platform.h"

// Builds and tracks the menu; the choice comes back to the window as WM_COMMAND, plans as
// IDM_PLAN_FIRST up to lastPlanCommand (actions/plan_commands.h acts on them).
void ShowTrayMenu(HWND window);
