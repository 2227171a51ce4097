// A plan's display name as the user sees it in the tray, the menu and the settings window.
#pragma once

#include "power/power_api.h"

// The name the platform gives, or the plan's braced identifier text when it gives none, so
// that every plan shows something informative and never an empty line.
void GetPlanDisplayName(const GUID& plan, WCHAR (&name)[kPlanNameUnits]);

// A rule's target as the lists show it: a plan's display name, or for a power mode what the
// tooltip shows while it is in force, "Balanced (Best Performance)".
void GetTargetName(const GUID& target, WCHAR (&name)[kPlanNameUnits]);

// The tray menu's label of a built-in plan, whatever language Windows names it in: "High
// Performance", "Balanced", "Power Saver"; null for any other plan.
const WCHAR* GetBuiltInLabel(const GUID& plan);

// The installed plan a command names: its braced identifier, or its display name or, for the
// three built-in plans, the tray menu's label of it, in either case. The installed plans are
// read into a list of its own; the first in registry order that matches wins. False when none
// matches.
bool FindPlanNamed(const WCHAR* text, GUID* plan);
