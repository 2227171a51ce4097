// The tray icon's context menu.
#pragma once

#include "base/platform.h"

void ShowTrayMenu(HWND window);
// Makes the plan of a chosen plan item active; commandId lies in 501 to lastPlanCommand.
void RunPlanCommand(WORD commandId);
// Makes the chosen power mode the one of the source the machine is on; commandId lies in
// IDM_POWER_MODE_FIRST to IDM_POWER_MODE_LAST.
void RunPowerModeCommand(WORD commandId);
