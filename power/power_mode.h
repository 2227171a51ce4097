// Which power mode is in force, and how it shows beside the active plan's name.
#pragma once

#include "core/power_rules.h"
#include "power/power_api.h"

// The source the machine is on: AC unless the platform says plainly that it is not (a status
// that is unknown or unread counts as AC, as it does for the battery rule).
bool IsOnAc();
// Keeps the personality just announced as the active plan's.
void RememberPersonality(const GUID& personality);
// Whether a mode acts on the active plan: Balanced, or a plan made from it. A plan's origin is
// its personality, which the system announces after a change of the active plan, and which is
// kept for each plan as it comes; the other two built-in plans never take a mode.
bool ModeActsOnActivePlan(const GUID& active);
// The mode in force on that source while active is the active plan. False where the platform
// has no modes, the mode does not act on the plan, or it cannot be read.
bool GetModeInForce(const GUID& active, bool onAc, GUID* mode);
// What follows the active plan's name in the tooltip and the balloon: the mode in force on the
// source the machine is on, " (Best Performance).", or only "." where no mode acts.
const WCHAR* PlanNameSuffix(const GUID& active);
// What is in force on that source: the active plan and the mode in force, each pointing into
// the caller's storage, or null where it could not be read or no mode acts.
InForce ReadInForce(bool onAc, GUID* active, GUID* mode);
