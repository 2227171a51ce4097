// The power modes of Windows 10 and 11 (the battery slider; Settings > Power mode): an overlay
// that acts on the Balanced plan, or a plan made from it, and is kept per power source. A rule
// or the tray menu names a mode by its identifier, exactly where it would name a plan.
#pragma once

#include "guid.h"
#include "plan_ids.h"

inline constexpr GUID MODE_BEST_EFFICIENCY = {
    0x961cc777, 0x2547, 0x4f9d, {0x81, 0x74, 0x7d, 0x86, 0x18, 0x1b, 0x8a, 0x7a}};
inline constexpr GUID MODE_BALANCED = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID MODE_BEST_PERFORMANCE = {
    0xded574b5, 0x45a0, 0x4f42, {0x87, 0x37, 0x46, 0x34, 0x5c, 0x09, 0xc2, 0x38}};

constexpr int kPowerModeCount = 3;

struct PowerMode {
    const GUID* id;
    const wchar_t* name;       // as the tray menu lists it
    const wchar_t* inBrackets; // after Balanced's name in the settings window's lists
    const wchar_t* suffix;     // after the plan's name in the tooltip and balloon
};

// From the most frugal to the fastest, the order the tray menu and the lists show them in.
inline constexpr PowerMode kPowerModes[kPowerModeCount] = {
    {&MODE_BEST_EFFICIENCY, L"Best Power Efficiency", L" (Best Power Efficiency)",
     L" (Best Power Efficiency)."},
    {&MODE_BALANCED, L"Balanced", L" (Balanced)", L" (Balanced)."},
    {&MODE_BEST_PERFORMANCE, L"Best Performance", L" (Best Performance)", L" (Best Performance)."},
};

// The mode's place in kPowerModes, or -1 when id names no mode (a plan, say).
inline int FindPowerMode(const GUID& id)
{
    for (int i = 0; i < kPowerModeCount; ++i) {
        if (IsSameGuid(id, *kPowerModes[i].id)) {
            return i;
        }
    }
    return -1;
}

inline bool IsPowerMode(const GUID& id)
{
    return FindPowerMode(id) >= 0;
}

// The mode that does, where the platform has modes, what a built-in plan does elsewhere: Best
// Performance for High Performance, Best Power Efficiency for Power Saver. Null for any other
// plan (Balanced is Balanced either way).
inline const GUID* ModeForPlan(const GUID& plan)
{
    if (IsSameGuid(plan, PLAN_HIGH_PERFORMANCE)) {
        return &MODE_BEST_PERFORMANCE;
    }
    if (IsSameGuid(plan, PLAN_POWER_SAVER)) {
        return &MODE_BEST_EFFICIENCY;
    }
    return nullptr;
}
