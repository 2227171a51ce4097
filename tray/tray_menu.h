// The tray icon's context menu.
#pragma once

#include "app/platform.h"

void ShowTrayMenu(HWND window);
// Makes the plan of a chosen plan item active; commandId lies in 501 to lastPlanCommand.
void RunPlanCommand(WORD commandId);
