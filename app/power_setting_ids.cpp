// Defines the SDK's power-setting identifiers in this program, so that no import library has
// to supply them. <initguid.h> must come before the first Windows header for that.
#include <initguid.h>

#include "app/app_state.h"

const GUID* const kWatchedPowerSettings[3] = {
    &GUID_POWERSCHEME_PERSONALITY,
    &GUID_ACDC_POWER_SOURCE,
    &GUID_BATTERY_PERCENTAGE_REMAINING,
};
