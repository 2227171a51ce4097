#include "power/plan_switching.h"

#include <cstdint>

#include "app/app_state.h"
#include "core/bounded_text.h"
#include "power/plan_name.h"
#include "power/power_api.h"
#include "tray/tray_icon.h"

constexpr DWORD kPersonalityLength = sizeof(GUID);
constexpr DWORD kValueLength = sizeof(DWORD);
constexpr size_t kBalloonUnits = sizeof(NOTIFYICONDATAW::szInfo) / sizeof(WCHAR);

// The active plan as the platform reports it; known is false when it cannot be read.
struct ActivePlan {
    bool known;
    GUID plan;
};

static ActivePlan ReadActivePlan()
{
    ActivePlan active = {false, {}};
    active.known = GetActivePlan(&active.plan);
    return active;
}

// A rule switches only when its target is not active. When the active plan cannot be read the
// target is set anyway: setting a plan again is harmless, and it is what the user asked for.
static void SwitchUnlessActive(const GUID& target, const ActivePlan& active)
{
    if (active.known && IsSameGuid(active.plan, target))
        return;
    SwitchToPlan(target);
}

// The low 16 bits of the little-endian 32-bit value the notification carries.
static WORD ReadLowWord(const POWERBROADCAST_SETTING* setting)
{
    const UCHAR* data = setting->Data;
    return static_cast<WORD>(data[0] | (data[1] << 8));
}

static bool Carries(const POWERBROADCAST_SETTING* setting, const GUID& id, DWORD length)
{
    return setting->DataLength == length && IsSameGuid(setting->PowerSetting, id);
}

// A change is announced only when the platform made the plan active; the tray is refreshed
// either way, so the tooltip and the icon show the plan that really is active.
void SwitchToPlan(const GUID& plan)
{
    bool switched = SetActivePlan(plan);
    if (switched && app.settings.showNotifications != 0) {
        WCHAR name[kPlanNameUnits];
        GetPlanDisplayName(plan, name);
        WCHAR text[kBalloonUnits];
        ComposeBoundedText(text, L"The power plan has been changed to ", name, L".");
        ShowPlanBalloon(text);
    }
    UpdateTrayStatus();
}

static void ApplyPowerSourceRule(const POWERBROADCAST_SETTING* setting)
{
    WORD source = ReadLowWord(setting);  // 0 is AC; 1 battery, 2 short-term, any other not AC
    ActivePlan active = ReadActivePlan();
    const SwitchSettings& rules = app.settings;
    SwitchUnlessActive(source == 0 ? rules.pluggedInPlan : rules.unpluggedPlan, active);
}

// A status that cannot be read, like one that is not plainly "off AC", leaves the plan alone.
static void ApplyBatteryRule(const POWERBROADCAST_SETTING* setting)
{
    BYTE acLineStatus = 0;
    if (!GetAcLineStatus(&acLineStatus) || acLineStatus != 0)
        return;
    int32_t percent = static_cast<int16_t>(ReadLowWord(setting));
    ActivePlan active = ReadActivePlan();
    if (percent > static_cast<int32_t>(app.settings.lowBatteryPercent))
        return;
    SwitchUnlessActive(app.settings.lowBatteryPlan, active);
}

// Three tests in order; the first that holds decides. Nothing is kept between notifications.
void HandlePowerSettingChange(const POWERBROADCAST_SETTING* setting)
{
    if (setting == nullptr)
        return;
    if (Carries(setting, GUID_POWERSCHEME_PERSONALITY, kPersonalityLength)) {
        UpdateTrayStatus();
        return;
    }
    if (app.settings.switchOnAcChange != 0 &&
        Carries(setting, GUID_ACDC_POWER_SOURCE, kValueLength)) {
        ApplyPowerSourceRule(setting);
        return;
    }
    if (app.settings.switchOnLowBattery != 0 &&
        Carries(setting, GUID_BATTERY_PERCENTAGE_REMAINING, kValueLength))
        ApplyBatteryRule(setting);
}
