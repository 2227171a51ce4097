#include "actions/show_switch.h"

#include "base/app_state.h"
#include "core/bounded_text.h"
#include "power/plan_name.h"
#include "tray/tray_icon.h"

constexpr size_t kBalloonUnits = sizeof(NOTIFYICONDATAW::szInfo) / sizeof(WCHAR);

void ShowSwitch(const SwitchResult& result)
{
    if (result.outcome == kNothingToSwitch)
        return;
    if (result.outcome == kSwitched && result.planKnown && app.settings.showNotifications != 0) {
        WCHAR name[kPlanNameUnits];
        GetPlanDisplayName(result.plan, name);
        WCHAR text[kBalloonUnits];
        ComposeBoundedText(text, kPlanChangedText, name, result.suffix);
        ShowPlanBalloon(text);
    }
    UpdateTrayStatus();
}
