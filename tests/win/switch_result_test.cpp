// Switching on its own, with no window and no tray: what each switch says happened, and that it
// shows nothing itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/app_state.h"
#include "core/plan_ids.h"
#include "core/power_modes.h"
#include "power/plan_switching.h"
#include "support/scripted_power.h"
#include "support/tray_recorder.h"

TEST(SwitchResultTest, SaysWhatHappenedAndShowsNothing)
{
    const GUID none = {};
    const struct {
        const char* what;
        bool hasModes;
        GUID active;
        GUID refused;
        bool activeReadable;
        GUID target;
        SwitchOutcome outcome;
        bool planKnown;
        GUID plan;
        const wchar_t* suffix;
        GUID planSet;  // none: SetActivePlan was not called
    } cases[] = {
        {"plan taken", false, PLAN_BALANCED, none, true, PLAN_POWER_SAVER, kSwitched, true,
         PLAN_POWER_SAVER, L".", PLAN_POWER_SAVER},
        {"plan refused: the active one stays", false, PLAN_BALANCED, PLAN_HIGH_PERFORMANCE, true,
         PLAN_HIGH_PERFORMANCE, kSwitchRefused, true, PLAN_BALANCED, L".", PLAN_HIGH_PERFORMANCE},
        {"refused, the active plan unreadable", false, PLAN_BALANCED, PLAN_POWER_SAVER, false,
         PLAN_POWER_SAVER, kSwitchRefused, false, none, L".", PLAN_POWER_SAVER},
        {"mode on a plan that takes none: Balanced first", true, PLAN_HIGH_PERFORMANCE, none, true,
         MODE_BEST_PERFORMANCE, kSwitched, true, PLAN_BALANCED, L" (Best Performance).",
         PLAN_BALANCED},
        {"mode, Balanced refused", true, PLAN_POWER_SAVER, PLAN_BALANCED, true,
         MODE_BEST_PERFORMANCE, kSwitchRefused, true, PLAN_POWER_SAVER, L".", PLAN_BALANCED},
        {"mode where the platform has none", false, PLAN_HIGH_PERFORMANCE, none, true,
         MODE_BEST_PERFORMANCE, kNothingToSwitch, false, none, L".", none},
    };
    TrayCallCounter tray;
    ASSERT_TRUE(tray.installed());
    for (const auto& c : cases) {
        ResetAppState();
        ResetScriptedPower();
        scriptedPower.hasModes = c.hasModes;
        scriptedPower.activePlan = c.active;
        scriptedPower.activeReadable = c.activeReadable;
        if (!IsSameGuid(c.refused, none))
            scriptedPower.refusedPlans = {c.refused};
        SwitchResult result = SwitchToTarget(c.target, true);
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.planKnown, c.planKnown) << c.what;
        if (c.planKnown) {
            EXPECT_EQ(GuidText(result.plan), GuidText(c.plan)) << c.what;
        }
        EXPECT_EQ(std::wstring(result.suffix), c.suffix) << c.what;
        std::vector<GUID> expected;
        if (!IsSameGuid(c.planSet, none))
            expected.push_back(c.planSet);
        EXPECT_EQ(PlansSet(), expected) << c.what;
    }
    EXPECT_EQ(tray.calls(), 0);
}
