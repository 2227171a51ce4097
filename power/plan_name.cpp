#include "power/plan_name.h"

#include "core/bounded_text.h"
#include "core/guid_text.h"
#include "core/plan_ids.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"

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

const WCHAR* GetBuiltInLabel(const GUID& plan)
{
    if (IsSameGuid(plan, PLAN_HIGH_PERFORMANCE))
        return L"High Performance";
    if (IsSameGuid(plan, PLAN_BALANCED))
        return L"Balanced";
    if (IsSameGuid(plan, PLAN_POWER_SAVER))
        return L"Power Saver";
    return nullptr;
}

static bool IsSameTextAnyCase(const WCHAR* a, const WCHAR* b)
{
    return b != nullptr && CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool FindPlanNamed(const WCHAR* text, GUID* plan)
{
    // A list of its own: the catalogue's positions are the open tray menu's commands.
    std::vector<GUID> plans;
    ReadInstalledPlans(&plans);
    GUID id = {};
    bool isId = ParseGuidText(text, static_cast<size_t>(lstrlenW(text)), &id);
    for (const GUID& candidate : plans) {
        WCHAR name[kPlanNameUnits];
        GetPlanDisplayName(candidate, name);
        if ((isId && IsSameGuid(candidate, id)) || IsSameTextAnyCase(text, name) ||
            IsSameTextAnyCase(text, GetBuiltInLabel(candidate))) {
            *plan = candidate;
            return true;
        }
    }
    return false;
}
