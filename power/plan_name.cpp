#include "power/plan_name.h"

#include "core/guid_text.h"

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
