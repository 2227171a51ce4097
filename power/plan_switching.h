// Making a plan active, and the automatic rules that react to power-setting notifications.
#pragma once

#include "app/platform.h"

// The only operation that changes the active plan: sets it, announces it, refreshes the tray.
void SwitchToPlan(const GUID& plan);
// Applies the personality, power-source and battery rules to one notification.
void HandlePowerSettingChange(const POWERBROADCAST_SETTING* setting);
