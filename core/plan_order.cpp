#include "plan_order.h"

int FindMenuBuiltIn(const GUID& plan)
{
    for (int i = 0; i < 3; ++i) {
        if (IsSameGuid(plan, *kMenuBuiltInPlans[i])) {
            return i;
        }
    }
    return -1;
}

// The plan's place in the menu's order: the user's plans by position, the built-in ones after
// all of them.
static unsigned MenuRank(const GUID& plan, unsigned position, unsigned count)
{
    int builtIn = FindMenuBuiltIn(plan);
    return builtIn >= 0 ? count + static_cast<unsigned>(builtIn) : position;
}

unsigned FindNextPlan(const GUID* plans, unsigned count, const GUID* active)
{
    unsigned activeRank = count + 3;  // before every plan: the first comes next
    for (unsigned i = 0; active != nullptr && i < count; ++i) {
        if (IsSameGuid(plans[i], *active)) {
            activeRank = MenuRank(plans[i], i, count);
            break;
        }
    }
    // The lowest rank above the active plan's, else the lowest of all (round again).
    unsigned next = count;
    unsigned first = count;
    for (unsigned i = 0; i < count; ++i) {
        unsigned rank = MenuRank(plans[i], i, count);
        if (first == count || rank < MenuRank(plans[first], first, count)) {
            first = i;
        }
        if (activeRank < count + 3 && rank > activeRank &&
            (next == count || rank < MenuRank(plans[next], next, count))) {
            next = i;
        }
    }
    return next != count ? next : first;
}
