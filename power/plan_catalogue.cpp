#include "power/plan_catalogue.h"

#include "app/app_state.h"

void RefreshPlanCatalogue()
{
    // Built with the tray menu; until then the catalogue stays as it is.
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
    unsigned count = PlanCount();
    for (unsigned position = 0; position < count; ++position) {
        if (IsSameGuid(app.catalogue.plans[position], plan))
            return position;
    }
    return count;
}
