#include "power/plan_name.h"

#include "core/bounded_text.h"
#include "core/guid_text.h"
#include "core/plan_ids.h"
#include "core/power_modes.h"

void GetPlanDisplayName(const GUID& plan, WCHAR (&name)[kPlanNameUnits])
{
    if (ReadPlanName(plan, name))
        return;
    wchar_t text[kGuidTextLength + 1];
    FormatGuidText(plan, text);
    static_assert(kGuidTextLength + 1 <= kPlanNameUnits, "identifier text fits a name");
    for (size_t i = 0; i <= kGuidTextLength; ++i)
        name[i] = text[i];
}

void GetTargetName(const GUID& target, WCHAR (&name)[kPlanNameUnits])
{
    int mode = FindPowerMode(target);
    if (mode < 0) {
        GetPlanDisplayName(target, name);
        return;
    }
    WCHAR balanced[kPlanNameUnits];
    GetPlanDisplayName(PLAN_BALANCED, balanced);
    ComposeBoundedText(name, nullptr, balanced, kPowerModes[mode].inBrackets);
}
