// The order the tray menu lists the plans in, and the plan after the active one in it. No
// platform call.
#pragma once

#include "guid.h"
#include "plan_ids.h"

// The built-in plans in the menu's order, listed below the user's own.
inline constexpr const GUID* kMenuBuiltInPlans[3] = {&PLAN_HIGH_PERFORMANCE, &PLAN_BALANCED,
                                                     &PLAN_POWER_SAVER};
// The plan's place in kMenuBuiltInPlans, or -1 for a plan of the user's.
int FindMenuBuiltIn(const GUID& plan);

// The menu lists the user's plans in the order given (the registry's), then High Performance,
// Balanced and Power Saver where they are installed. Returns the position in plans of the plan
// that follows active in that order, the first after the last; the first when active is null
// (unread) or not among plans; count when plans is empty.
unsigned FindNextPlan(const GUID* plans, unsigned count, const GUID* active);
