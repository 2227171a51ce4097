// The seven persisted settings that drive the automatic rules.
#pragma once

#include <cstdint>

#include "plan_ids.h"

struct SwitchSettings {
    GUID pluggedInPlan;          // made active when the source becomes AC
    GUID unpluggedPlan;          // made active when the source becomes anything else
    GUID lowBatteryPlan;         // made active at or below lowBatteryPercent off AC
    int32_t switchOnAcChange;    // non-zero enables the power-source rule
    int32_t switchOnLowBattery;  // non-zero enables the battery rule
    int32_t showNotifications;   // non-zero announces each switch in a balloon
    uint16_t lowBatteryPercent;  // battery threshold; equal counts as low
};

inline constexpr SwitchSettings kDefaultSettings = {
    PLAN_HIGH_PERFORMANCE, PLAN_BALANCED, PLAN_BALANCED, 1, 0, 1, 30};
