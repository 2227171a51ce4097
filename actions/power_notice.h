// The automatic rules in action: each power-setting notification, and the resume after a
// sleep, read the platform as far as the rule needs, ask the decision (core/power_rules.h),
// switch and show.
#pragma once

#include "base/platform.h"

// Applies the personality, power-source and battery rules to one notification.
void HandlePowerSettingChange(const POWERBROADCAST_SETTING* setting);
// After a sleep (PBT_APMRESUMEAUTOMATIC): the power-source and battery rules run once for the
// source and the charge the machine has now, as they do at start-up, and the tray is refreshed.
// Windows sends no power-source notification when the source did not change, and it may have
// made Balanced active while the machine slept.
void HandleResume();
