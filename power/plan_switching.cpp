#include "power/plan_switching.h"

void SwitchToPlan(const GUID&)
{
}

void HandlePowerSettingChange(const POWERBROADCAST_SETTING*)
{
}
