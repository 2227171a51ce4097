#include "power/power_mode.h"

#include "base/app_state.h"
#include "base/messages.h"
#include "core/power_modes.h"

bool IsOnAc()
{
    BYTE status = 1;
    return !GetAcLineStatus(&status) || status != 0;
}

void RememberPersonality(const GUID& personality)
{
    // The notification follows a change of the active plan, so it is the active plan's; a plan
    // keeps its personality, so it is known the next time that plan comes back, before its own
    // notification has arrived.
    GUID active = {};
    if (!GetActivePlan(&active))
        return;
    for (PlanPersonality& known : app.personalities) {
        if (IsSameGuid(known.plan, active)) {
            known.personality = personality;
            return;
        }
    }
    app.personalities.push_back({active, personality});
}

bool ModeActsOnActivePlan(const GUID& active)
{
    if (IsSameGuid(active, PLAN_BALANCED))
        return true;
    if (IsSameGuid(active, PLAN_HIGH_PERFORMANCE) || IsSameGuid(active, PLAN_POWER_SAVER))
        return false;
    for (const PlanPersonality& known : app.personalities) {
        if (IsSameGuid(known.plan, active))
            return IsSameGuid(known.personality, PLAN_BALANCED);
    }
    // A plan of the user's not announced yet: most are made from Balanced.
    return true;
}

bool GetModeInForce(const GUID& active, bool onAc, GUID* mode)
{
    return HasPowerModes() && ModeActsOnActivePlan(active) && GetPowerMode(onAc, mode);
}

InForce ReadInForce(bool onAc, GUID* active, GUID* mode)
{
    bool known = GetActivePlan(active);
    bool modeKnown = known && GetModeInForce(*active, onAc, mode);
    return {known ? active : nullptr, modeKnown ? mode : nullptr};
}

const WCHAR* PlanNameSuffix(const GUID& active)
{
    GUID mode = {};
    // Asked first, so that a machine without modes does not read its power line for nothing.
    if (!HasPowerModes() || !GetModeInForce(active, IsOnAc(), &mode))
        return L".";
    // A mode Windows has beyond the three (Windows 10's "better performance") is not named.
    int index = FindPowerMode(mode);
    return index >= 0 ? kPowerModes[index].suffix : L".";
}

void CALLBACK PostPowerModeChange(int, void* window)
{
    PostMessageW(static_cast<HWND>(window), WM_POWERMODECHANGED, 0, 0);
}
