// The installed power plans, read from the registry into the state record's catalogue.
#pragma once

#include <vector>

#include "core/guid.h"

// The machine's power schemes under HKEY_LOCAL_MACHINE, one subkey per installed plan, named by
// its identifier without braces. The control set numbered 001 is named directly.
constexpr const wchar_t* kPowerSchemesPath =
    L"SYSTEM\\ControlSet001\\Control\\Power\\User\\PowerSchemes";

// Rebuilds the catalogue from the machine's power-scheme key.
void RefreshPlanCatalogue();
// Reads the installed plans, in registry order, into a window's own list, which keeps its
// positions while the catalogue is read again.
void ReadInstalledPlans(std::vector<GUID>* plans);
void ClearPlans();
void AppendPlan(const GUID& plan);
unsigned PlanCount();
// The entry at position, or null when position is not below the count.
const GUID* PlanAt(unsigned position);
// Copies the catalogue into a window's own list, which keeps its positions while the catalogue
// is read again.
void CopyPlans(std::vector<GUID>* copy);
// The first position holding plan, or the count when no entry equals it.
unsigned FindPlan(const GUID& plan);
// The same in another list of plans: a window's own.
unsigned FindPlanIn(const std::vector<GUID>& plans, const GUID& plan);
