// The personality test, the power-source rule and the battery rule, free of platform calls.
#include "power_rules.h"

#include "power_modes.h"

extern "C" const GUID GUID_POWERSCHEME_PERSONALITY = {
    0x245d8541, 0x3943, 0x4422, {0xb0, 0x25, 0x13, 0xa7, 0x84, 0xf6, 0x79, 0xb7}};
extern "C" const GUID GUID_ACDC_POWER_SOURCE = {
    0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};
extern "C" const GUID GUID_BATTERY_PERCENTAGE_REMAINING = {
    0xa7ad8041, 0xb45a, 0x4cae, {0x87, 0xa3, 0xee, 0xcb, 0xb4, 0x68, 0xa9, 0xe1}};

const GUID* const kWatchedPowerSettings[3] = {
    &GUID_POWERSCHEME_PERSONALITY,
    &GUID_ACDC_POWER_SOURCE,
    &GUID_BATTERY_PERCENTAGE_REMAINING,
};

constexpr uint32_t kPersonalityLength = sizeof(GUID);
constexpr uint32_t kValueLength = 4;  // a 32-bit value

static bool Carries(const PowerNotice& notice, const GUID& setting, uint32_t length)
{
    return notice.dataLength == length && IsSameGuid(*notice.setting, setting);
}

PowerRule FindPowerRule(const PowerNotice& notice, const SwitchSettings& settings)
{
    if (Carries(notice, GUID_POWERSCHEME_PERSONALITY, kPersonalityLength)) {
        return kPersonalityRule;
    }
    if (settings.switchOnAcChange != 0 && Carries(notice, GUID_ACDC_POWER_SOURCE, kValueLength)) {
        return kPowerSourceRule;
    }
    if (settings.switchOnLowBattery != 0 &&
        Carries(notice, GUID_BATTERY_PERCENTAGE_REMAINING, kValueLength)) {
        return kBatteryRule;
    }
    return kNoRule;
}

// Deliberate: only the low 16 bits of the little-endian 32-bit value count, as they always have.
static uint16_t LowWord(const PowerNotice& notice)
{
    return static_cast<uint16_t>(notice.data[0] | (notice.data[1] << 8));
}

const GUID* FindRuleTarget(const PowerNotice& notice, const SwitchSettings& settings,
                           int acLineStatus)
{
    switch (FindPowerRule(notice, settings)) {
    case kPowerSourceRule:  // 0 is AC; 1 battery, 2 short-term, any other not AC
        return LowWord(notice) == 0 ? &settings.pluggedInPlan : &settings.unpluggedPlan;
    case kBatteryRule: {
        // A status that is unknown or unread, like one on AC, leaves the plan alone. The
        // percentage is the low word as a signed number, and equal to the threshold is low.
        int32_t percent = static_cast<int16_t>(LowWord(notice));
        if (acLineStatus != 0 || percent > static_cast<int32_t>(settings.lowBatteryPercent)) {
            return nullptr;
        }
        return &settings.lowBatteryPlan;
    }
    default:
        return nullptr;
    }
}

bool IsRuleOnAc(const PowerNotice& notice, PowerRule rule)
{
    return rule == kPowerSourceRule && LowWord(notice) == 0;
}

const GUID* ChooseRuleTarget(const PowerNotice& notice, const SwitchSettings& settings,
                             const InForce& inForce, int acLineStatus)
{
    const GUID* target = FindRuleTarget(notice, settings, acLineStatus);
    if (target == nullptr) {
        return nullptr;
    }
    // A mode is compared with the mode in force, a plan with the active plan.
    const GUID* current = IsPowerMode(*target) ? inForce.mode : inForce.plan;
    if (current != nullptr && IsSameGuid(*current, *target)) {
        return nullptr;
    }
    return target;
}
