#include "power/plan_catalogue.h"

#include "base/app_state.h"
#include "core/bounded_text.h"
#include "core/guid_text.h"

// Room for a subkey name of up to 99 units; a longer one makes RegEnumKeyW fail, which ends
// the walk at that index.
constexpr DWORD kSchemeNameUnits = 100;
// The braced identifier text handed to the conversion.
constexpr size_t kSchemeTextUnits = 260;

// Deliberate, as the program has always walked: the index is a signed 16-bit number widened
// with its sign, so the walk visits indexes 0 to 32767 and then asks for index -32768, which
// arrives as 4294934528 and names no subkey.
constexpr int kLastIndexStep = 32768;

void RefreshPlanCatalogue()
{
    ReadInstalledPlans(&app.catalogue.plans);
}

void ReadInstalledPlans(std::vector<GUID>* plans)
{
    plans->clear();  // keeps the storage for the next read
    HKEY schemes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, KEY_READ, &schemes) !=
        ERROR_SUCCESS)
        return;
    for (int step = 0; step <= kLastIndexStep; ++step) {
        SHORT index = static_cast<SHORT>(step <= 32767 ? step : step - 65536);
        WCHAR name[kSchemeNameUnits];
        if (RegEnumKeyW(schemes, static_cast<DWORD>(static_cast<LONG>(index)), name,
                        kSchemeNameUnits) != ERROR_SUCCESS)
            break;
        WCHAR text[kSchemeTextUnits];
        ComposeBoundedText(text, L"{", name, L"}");
        GUID plan;
        // A subkey whose name is not an identifier is passed over without a message.
        if (ParseGuidText(text, static_cast<size_t>(lstrlenW(text)), &plan))
            plans->push_back(plan);
    }
    RegCloseKey(schemes);
}

void ClearPlans()
{
    app.catalogue.plans.clear();  // keeps the storage for the next refresh
}

void AppendPlan(const GUID& plan)
{
    app.catalogue.plans.push_back(plan);
}

unsigned PlanCount()
{
    return static_cast<unsigned>(app.catalogue.plans.size());
}

const GUID* PlanAt(unsigned position)
{
    if (position >= PlanCount())
        return nullptr;
    return &app.catalogue.plans[position];
}

unsigned FindPlan(const GUID& plan)
{
    return FindPlanIn(app.catalogue.plans, plan);
}

unsigned FindPlanIn(const std::vector<GUID>& plans, const GUID& plan)
{
    unsigned count = static_cast<unsigned>(plans.size());
    for (unsigned position = 0; position < count; ++position) {
        if (IsSameGuid(plans[position], plan))
            return position;
    }
    return count;
}

// Entry by entry: push_back's code comes with the reading already, a vector's copy would be new
// to the exe.
void CopyPlans(std::vector<GUID>* copy)
{
    copy->clear();
    for (const GUID& plan : app.catalogue.plans)
        copy->push_back(plan);
}
