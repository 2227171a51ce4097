#include "actions/power_notice.h"

#include "actions/show_switch.h"
#include "base/app_state.h"
#include "core/power_rules.h"
#include "power/plan_switching.h"
#include "power/power_api.h"
#include "power/power_mode.h"
#include "tray/tray_icon.h"

// Reads the platform as far as the notification's rule needs, asks the decision (core/
// power_rules.h) and acts on it. Nothing is kept between notifications but the personality.
static void ApplyPowerNotice(const PowerNotice& notice)
{
    PowerRule rule = FindPowerRule(notice, app.settings);
    if (rule == kPersonalityRule) {
        GUID personality = {};
        CopyMemory(&personality, notice.data, sizeof(GUID));
        RememberPersonality(personality);
        UpdateTrayStatus();
    }
    if (rule != kPowerSourceRule && rule != kBatteryRule)
        return;
    // The battery rule reads the power line first and, unless the machine is plainly off AC,
    // stops before the active plan is read.
    BYTE acLineStatus = 0;
    if (rule == kBatteryRule && (!GetAcLineStatus(&acLineStatus) || acLineStatus != 0))
        return;
    // While a program rule acts, its target stays through a change of source; the source's rule
    // acts when the program leaves the front. A low battery comes first and ends the program
    // rules' turn.
    if (rule == kPowerSourceRule && app.programState.acting) {
        app.programState.sourceNoticed = true;
        return;
    }
    if (rule == kBatteryRule && FindRuleTarget(notice, app.settings, acLineStatus) != nullptr)
        app.programState = {};
    // The mode is the one of the source the rule acts for.
    bool onAc = IsRuleOnAc(notice, rule);
    GUID active = {};
    GUID mode = {};
    InForce inForce = ReadInForce(onAc, &active, &mode);
    const GUID* target = ChooseRuleTarget(notice, app.settings, inForce, acLineStatus);
    if (target != nullptr)
        ShowSwitch(SwitchToTarget(*target, onAc));
}

void HandlePowerSettingChange(const POWERBROADCAST_SETTING* setting)
{
    if (setting == nullptr)
        return;
    // The personality is kept: it tells whether a plan of the user's was made from Balanced,
    // so whether a power mode acts on it.
    ApplyPowerNotice({&setting->PowerSetting, setting->DataLength, setting->Data});
}

// A 32-bit value in the little-endian form the platform sends.
static void ApplyPowerValue(const GUID& setting, DWORD value)
{
    unsigned char data[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                             static_cast<unsigned char>(value >> 16),
                             static_cast<unsigned char>(value >> 24)};
    ApplyPowerNotice({&setting, sizeof(data), data});
}

void HandleResume()
{
    BYTE acLineStatus = 0;
    if (GetAcLineStatus(&acLineStatus) && acLineStatus != 255)
        ApplyPowerValue(GUID_ACDC_POWER_SOURCE, acLineStatus == 0 ? 1 : 0);
    BYTE percent = 0;
    if (GetBatteryPercent(&percent))
        ApplyPowerValue(GUID_BATTERY_PERCENTAGE_REMAINING, percent);
    UpdateTrayStatus();
}
