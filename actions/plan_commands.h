// The tray menu's choices of a plan or a power mode, switched and shown.
#pragma once

#include "base/platform.h"

// Makes the plan of a chosen plan item active; commandId lies in IDM_PLAN_FIRST to the last
// menu's lastPlanCommand.
void RunPlanCommand(WORD commandId);
// Makes the chosen power mode the one of the source the machine is on; commandId lies in
// IDM_POWER_MODE_FIRST to IDM_POWER_MODE_LAST.
void RunPowerModeCommand(WORD commandId);
