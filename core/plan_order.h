// The order the tray menu lists the plans in, and the plan after the active one in it. No
// platform call.
#pragma once

#include "guid.h"

// The menu lists the user's plans in the order given (the registry's), then High Performance,
// Balanced and Power Saver where they are installed. Returns the position in plans of the plan
// that follows active in that order, the first after the last; the first when active is null
// (unread) or not among plans; count when plans is empty.
unsigned FindNextPlan(const GUID* plans, unsigned count, const GUID* active);
