#include "power/plan_switching.h"

#include "app/app_state.h"
#include "core/bounded_text.h"
#include "core/power_rules.h"
#include "power/plan_name.h"
#include "power/power_api.h"
#include "tray/tray_icon.h"

constexpr size_t kBalloonUnits = sizeof(NOTIFYICONDATAW::szInfo) / sizeof(WCHAR);

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

// Reads the platform as far as the notification's rule needs, asks the decision (core/
// power_rules.h) and acts on it. Nothing is kept between notifications.
void HandlePowerSettingChange(const POWERBROADCAST_SETTING* setting)
{
    if (setting == nullptr)
        return;
    PowerNotice notice = {&setting->PowerSetting, setting->DataLength, setting->Data};
    PowerRule rule = FindPowerRule(notice, app.settings);
    if (rule == kPersonalityRule)
        UpdateTrayStatus();
    if (rule != kPowerSourceRule && rule != kBatteryRule)
        return;
    // The battery rule reads the power line first and, unless the machine is plainly off AC,
    // stops before the active plan is read.
    BYTE acLineStatus = 0;
    if (rule == kBatteryRule && (!GetAcLineStatus(&acLineStatus) || acLineStatus != 0))
        return;
    GUID active = {};
    bool known = GetActivePlan(&active);
    const GUID* target = ChooseRulePlan(notice, app.settings, known ? &active : nullptr, acLineStatus);
    if (target != nullptr)
        SwitchToPlan(*target);
}
