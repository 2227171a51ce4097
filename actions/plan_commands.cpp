#include "actions/plan_commands.h"

#include "actions/show_switch.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"
#include "power/plan_switching.h"
#include "power/power_mode.h"
#include "res/resource.h"

void RunPowerModeCommand(WORD commandId)
{
    int index = commandId - IDM_POWER_MODE_FIRST;
    if (index >= 0 && index < kPowerModeCount)
        ShowSwitch(SwitchToMode(*kPowerModes[index].id, IsOnAc()));
}

void RunPlanCommand(WORD commandId)
{
    // The catalogue may have been re-read with fewer plans since the menu was built; such a
    // position names no plan and the command does nothing.
    const GUID* plan = PlanAt(static_cast<unsigned>(commandId - IDM_PLAN_FIRST));
    if (plan == nullptr)
        return;
    ShowSwitch(SwitchToPlan(*plan));
}
