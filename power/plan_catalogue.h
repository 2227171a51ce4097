// The installed power plans, as identifiers in registry order. A position in it is what the
// tray menu's plan items and the settings window's list entries stand for.
#pragma once

#include <vector>

#include "core/guid.h"

// The machine's power schemes under HKEY_LOCAL_MACHINE, one subkey per installed plan, named by
// its identifier without braces. The control set numbered 001 is named directly.
constexpr const wchar_t* kPowerSchemesPath =
    L"SYSTEM\\ControlSet001\\Control\\Power\\User\\PowerSchemes";

struct PlanCatalogue {
    std::vector<GUID> plans;
};

// Rebuilds the catalogue from the machine's power-scheme key.
void RefreshPlanCatalogue();
void ClearPlans();
void AppendPlan(const GUID& plan);
unsigned PlanCount();
// The entry at position, or null when position is not below the count.
const GUID* PlanAt(unsigned position);
// The first position holding plan, or the count when no entry equals it.
unsigned FindPlan(const GUID& plan);
