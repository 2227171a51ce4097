// The tray icon's context menu and its two quick commands.
#pragma once

#include "app/platform.h"

void ShowTrayMenu(HWND window);
void TurnDisplayOff();
void ToggleComposition();
// Makes the plan of a chosen plan item active; commandId lies in 501 to lastPlanCommand.
void RunPlanCommand(WORD commandId);
