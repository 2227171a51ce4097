#include "power/plan_switching.h"

#include "core/plan_order.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"
#include "power/power_api.h"
#include "power/power_mode.h"

// The plan the platform reports active now, and its suffix, after a switch it refused or after
// a mode set back.
static SwitchResult ReadActive(SwitchOutcome outcome)
{
    SwitchResult result = {outcome, false, {}, L"."};
    result.planKnown = GetActivePlan(&result.plan);
    if (result.planKnown)
        result.suffix = PlanNameSuffix(result.plan);
    return result;
}

SwitchResult SwitchToPlan(const GUID& plan)
{
    if (!SetActivePlan(plan))
        return ReadActive(kSwitchRefused);
    return {kSwitched, true, plan, PlanNameSuffix(plan)};
}

SwitchResult SwitchToMode(const GUID& mode, bool onAc)
{
    int index = FindPowerMode(mode);
    if (index < 0 || !HasPowerModes())
        return {kNothingToSwitch, false, {}, L"."};
    // A mode acts on Balanced and the plans made from it only.
    GUID plan = PLAN_BALANCED;
    GUID active = {};
    bool onBalanced = GetActivePlan(&active) && ModeActsOnActivePlan(active);
    if (onBalanced)
        plan = active;
    if ((onBalanced || SetActivePlan(PLAN_BALANCED)) && SetPowerMode(onAc, mode))
        return {kSwitched, true, plan, kPowerModes[index].suffix};
    return ReadActive(kSwitchRefused);
}

SwitchResult SetModeBack(const GUID& mode, bool onAc)
{
    return ReadActive(SetPowerMode(onAc, mode) ? kSwitched : kSwitchRefused);
}

SwitchResult SwitchToTarget(const GUID& target, bool onAc)
{
    if (IsPowerMode(target))
        return SwitchToMode(target, onAc);
    return SwitchToPlan(target);
}

SwitchResult SwitchToNext(bool onAc)
{
    GUID active = {};
    GUID mode = {};
    InForce now = ReadInForce(onAc, &active, &mode);
    if (HasPowerModes()) {
        int index = now.mode != nullptr ? FindPowerMode(*now.mode) : -1;
        return SwitchToMode(*kPowerModes[(index + 1) % kPowerModeCount].id, onAc);
    }
    // A list of its own: the catalogue's positions are the open tray menu's commands.
    std::vector<GUID> plans;
    ReadInstalledPlans(&plans);
    unsigned next = FindNextPlan(plans.data(), static_cast<unsigned>(plans.size()), now.plan);
    if (next >= plans.size())
        return {kNothingToSwitch, false, {}, L"."};
    return SwitchToPlan(plans[next]);
}
