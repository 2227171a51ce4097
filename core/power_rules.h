// The automatic rules as a pure decision: which plan a power-setting notification calls for.
// No platform call; the caller reads the platform and acts on the answer.
#pragma once

#include <cstdint>

#include "switch_settings.h"

// The three power settings the program listens to, under the platform's own names (the
// Windows headers declare them the same way; they are defined here, so no import library has
// to supply them), and the order the program registers for them in.
extern "C" const GUID GUID_POWERSCHEME_PERSONALITY;
extern "C" const GUID GUID_ACDC_POWER_SOURCE;
extern "C" const GUID GUID_BATTERY_PERCENTAGE_REMAINING;
extern const GUID* const kWatchedPowerSettings[3];

// One notification as it arrived: which setting changed and its new value's bytes.
struct PowerNotice {
    const GUID* setting;
    uint32_t dataLength;
    const unsigned char* data;  // dataLength bytes
};

// Which of the three tests a notification passes; they are made in this order and the first
// that holds decides.
enum PowerRule { kNoRule, kPersonalityRule, kPowerSourceRule, kBatteryRule };
PowerRule FindPowerRule(const PowerNotice& notice, const SwitchSettings& settings);

// The power line as GetSystemPowerStatus reports it (0 off AC, 1 on AC, 255 unknown), or this
// when it could not be read.
constexpr int kAcLineUnread = -1;

// The target the notification's rule names (a plan, or a mode where the settings name one),
// before anything in force is looked at; null when no rule holds. For the battery rule that is
// exactly when the machine is plainly off AC at or below the threshold.
const GUID* FindRuleTarget(const PowerNotice& notice, const SwitchSettings& settings,
                           int acLineStatus);

// What is in force when a notification arrives: the active plan, and the power mode in force
// on the source the rule acts for. Either is null when it could not be read; the mode is also
// null where the platform has no modes or the active plan is one a mode does not act on.
struct InForce {
    const GUID* plan;
    const GUID* mode;
};

// Whether the rule acts for a machine on AC: the power-source rule when the new source is AC.
// The battery rule acts off AC only.
bool IsRuleOnAc(const PowerNotice& notice, PowerRule rule);

// The target the notification's rule calls for (a plan, or a power mode where the settings name
// one), or null when nothing is to be switched. A target already in force is not switched to
// again; one compared with something unread is switched to anyway. acLineStatus matters to the
// battery rule only, which acts only when it is plainly 0.
const GUID* ChooseRuleTarget(const PowerNotice& notice, const SwitchSettings& settings,
                             const InForce& inForce, int acLineStatus);
