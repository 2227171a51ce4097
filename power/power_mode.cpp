#include "power/power_mode.h"

#include "app/app_state.h"
#include "app/messages.h"
#include "core/power_modes.h"

bool IsOnAc()
{
    BYTE status = 1;
    return !GetAcLineStatus(&status) || status != 0;
}

bool ModeActsOnActivePlan(const GUID& active)
{
    if (IsSameGuid(active, PLAN_BALANCED))
        return true;
    if (IsSameGuid(active, PLAN_HIGH_PERFORMANCE) || IsSameGuid(active, PLAN_POWER_SAVER))
        return false;
    return app.personalityKnown == 0 || IsSameGuid(app.activePersonality, PLAN_BALANCED);
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
