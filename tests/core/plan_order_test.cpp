// The plan after the active one in the tray menu's order, round again after the last.
#include <gtest/gtest.h>

#include <vector>

#include "core/plan_ids.h"
#include "core/plan_order.h"

namespace {

constexpr GUID kGame = {0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
constexpr GUID kQuiet = {0x22222222, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
constexpr GUID kMissing = {0x33333333, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};

}  // namespace

TEST(PlanOrder, StepsThroughTheMenuOrderAndRoundAgain)
{
    // Registry order puts the built-in plans first; the menu lists the user's plans before them.
    const std::vector<GUID> plans = {PLAN_BALANCED, kGame, PLAN_POWER_SAVER, PLAN_HIGH_PERFORMANCE,
                                     kQuiet};
    const struct {
        const GUID* active;
        unsigned next;
    } cases[] = {
        {&kGame, 4},                   // the user's plans in registry order
        {&kQuiet, 3},                  // then High Performance
        {&PLAN_HIGH_PERFORMANCE, 0},   // Balanced
        {&PLAN_BALANCED, 2},           // Power Saver
        {&PLAN_POWER_SAVER, 1},        // after the last, the first
        {&kMissing, 1},                // a plan not listed: the first
        {nullptr, 1},                  // the active plan unread: the first
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindNextPlan(plans.data(), static_cast<unsigned>(plans.size()), c.active), c.next)
            << (c.active != nullptr ? c.active->Data1 : 0);
    }
}

TEST(PlanOrder, FewPlans)
{
    const GUID only[] = {PLAN_BALANCED};
    EXPECT_EQ(FindNextPlan(only, 1, &PLAN_BALANCED), 0u);
    EXPECT_EQ(FindNextPlan(nullptr, 0, &PLAN_BALANCED), 0u);
    const GUID builtIns[] = {PLAN_POWER_SAVER, PLAN_BALANCED};
    EXPECT_EQ(FindNextPlan(builtIns, 2, &PLAN_BALANCED), 0u);
    EXPECT_EQ(FindNextPlan(builtIns, 2, &PLAN_POWER_SAVER), 1u);
}
