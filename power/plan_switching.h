// Making a plan or a power mode active. Each switch says what happened and shows nothing: the
// balloon, the tooltip and the icon are actions/show_switch.h's.
#pragma once

#include "base/platform.h"

enum SwitchOutcome {
    kSwitched,         // the platform took the plan (and the mode)
    kSwitchRefused,    // the platform refused: what was active stays
    kNothingToSwitch,  // a mode where the platform has none: nothing was asked of it
};

// What a switch did, and what a balloon would say of it: the plan active now and what follows
// its name, " (Best Performance)." for the mode in force or "." where no mode acts.
struct SwitchResult {
    SwitchOutcome outcome;
    bool planKnown;  // false when the active plan could not be read (a refused switch only)
    GUID plan;
    const WCHAR* suffix;
};

// The only operation that changes the active plan.
SwitchResult SwitchToPlan(const GUID& plan);
// Makes mode the power mode of one power source, Balanced made active first where a mode would
// not act on the active plan. Nothing to switch where the platform has no modes.
SwitchResult SwitchToMode(const GUID& mode, bool onAc);
// Sets a source's mode back as it was, the active plan left as it is.
SwitchResult SetModeBack(const GUID& mode, bool onAc);
// SwitchToMode for a power mode's identifier, SwitchToPlan for any other.
SwitchResult SwitchToTarget(const GUID& target, bool onAc);
// One step on: where the platform has power modes, the next mode of that source after the one in
// force (Best Power Efficiency, Balanced, Best Performance, then round again; the first while the
// active plan takes no mode); elsewhere the plan after the active one in the tray menu's order,
// the first after the last. Nothing to switch where no plan is installed.
SwitchResult SwitchToNext(bool onAc);
