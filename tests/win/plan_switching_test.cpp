// SwitchToPlan and the rules' handler, driven by real WM_POWERBROADCAST messages to the
// settings window: what it reads from the platform and what it does with the decision, whose
// every case tests/core/power_rules_test.cpp covers. The program starts with High performance
// active and the default settings.
#include <cstdint>
#include <vector>

#include "actions/show_switch.h"
#include "core/plan_ids.h"
#include "support/tray_recorder.h"

using PlanSwitchingTest = TrayFixture;

static void ClearLogs()
{
    scriptedPower.calls.clear();
    trayEvents.clear();
}

// The uFlags of each Shell_NotifyIconW call since the logs were cleared.
static std::vector<UINT> TrayFlags()
{
    std::vector<UINT> flags;
    for (const auto& call : TrayCalls())
        flags.push_back(call.record.uFlags);
    return flags;
}

static const std::vector<UINT> kBalloonThenStatus = {NIF_INFO, NIF_TIP, NIF_ICON};
static const std::vector<UINT> kStatusOnly = {NIF_TIP, NIF_ICON};

static bool SwitchedTo(const GUID& plan)
{
    auto plans = PlansSet();
    return plans.size() == 1 && IsSameGuid(plans[0], plan);
}

TEST_F(PlanSwitchingTest, DefaultsFollowThePowerSourceOnlyWhenTheTargetIsNotActive)
{
    ClearLogs();
    SendPowerSource(window, 1);
    EXPECT_TRUE(SwitchedTo(PLAN_BALANCED));
    ASSERT_EQ(TrayFlags(), kBalloonThenStatus);
    EXPECT_STREQ(TrayCalls()[0].record.szInfo, L"The power plan has been changed to Balanced.");
    EXPECT_STREQ(app.trayIcon.szTip, L"Current power plan: Balanced.");

    ClearLogs();
    SendPowerSource(window, 0);
    EXPECT_TRUE(SwitchedTo(PLAN_HIGH_PERFORMANCE));

    ClearLogs();
    SendPowerSource(window, 0);  // already active: no switch, no balloon, no refresh
    EXPECT_TRUE(PlansSet().empty());
    EXPECT_TRUE(trayEvents.empty());
}

TEST_F(PlanSwitchingTest, BatteryRuleReadsThePowerLine)
{
    const struct {
        uint16_t threshold;
        DWORD percent;
        BYTE acLineStatus;
        bool acReadable;
        bool switches;
    } cases[] = {
        {30, 30, 0, true, true}, {30, 31, 0, true, false}, {30, 20, 1, true, false},
        {30, 20, 0, false, false},
    };
    app.settings.switchOnLowBattery = 1;
    app.settings.lowBatteryPlan = PLAN_POWER_SAVER;
    for (const auto& c : cases) {
        app.settings.lowBatteryPercent = c.threshold;
        scriptedPower.acLineStatus = c.acLineStatus;
        scriptedPower.acReadable = c.acReadable;
        scriptedPower.activePlan = PLAN_BALANCED;
        ClearLogs();
        SendBatteryPercent(window, c.percent);
        EXPECT_EQ(SwitchedTo(PLAN_POWER_SAVER), c.switches)
            << c.threshold << " " << c.percent << " " << int(c.acLineStatus);
    }
    ClearLogs();  // at the threshold, already on the target
    scriptedPower.activePlan = PLAN_POWER_SAVER;
    SendBatteryPercent(window, 30);
    EXPECT_TRUE(PlansSet().empty());
    EXPECT_TRUE(trayEvents.empty());
}

TEST_F(PlanSwitchingTest, EachRuleIsSilentWhileItsFlagIsOff)
{
    app.settings.switchOnAcChange = 0;
    app.settings.switchOnLowBattery = 1;
    scriptedPower.acLineStatus = 0;
    ClearLogs();
    SendPowerSource(window, 1);
    EXPECT_TRUE(scriptedPower.calls.empty());
    EXPECT_TRUE(trayEvents.empty());

    app.settings.switchOnAcChange = 1;
    app.settings.switchOnLowBattery = 0;
    SendBatteryPercent(window, 5);
    EXPECT_TRUE(scriptedPower.calls.empty());
    EXPECT_TRUE(trayEvents.empty());
}

TEST_F(PlanSwitchingTest, PersonalityRefreshesTheTrayAndWrongLengthsAreIgnored)
{
    app.settings.switchOnAcChange = 0;
    app.settings.switchOnLowBattery = 0;
    ClearLogs();
    SendPersonality(window, PLAN_BALANCED);
    EXPECT_EQ(TrayFlags(), kStatusOnly);
    EXPECT_TRUE(PlansSet().empty());

    app.settings.switchOnAcChange = 1;
    app.settings.switchOnLowBattery = 1;
    scriptedPower.acLineStatus = 0;
    const uint64_t value = 1;
    ClearLogs();
    SendPowerSetting(window, GUID_ACDC_POWER_SOURCE, &value, 8);
    SendPowerSetting(window, GUID_ACDC_POWER_SOURCE, &value, 2);
    SendPowerSetting(window, GUID_BATTERY_PERCENTAGE_REMAINING, &value, 8);
    SendPowerSetting(window, GUID_POWERSCHEME_PERSONALITY, &value, 4);
    SendPowerSetting(window, kOwnPlan, &value, 4);
    EXPECT_TRUE(scriptedPower.calls.empty());
    EXPECT_TRUE(trayEvents.empty());
}

TEST_F(PlanSwitchingTest, WithoutNotificationsASwitchStillRefreshesTheTray)
{
    app.settings.showNotifications = 0;
    ClearLogs();
    SendPowerSource(window, 1);
    EXPECT_TRUE(SwitchedTo(PLAN_BALANCED));
    ASSERT_EQ(TrayFlags(), kStatusOnly);
    EXPECT_EQ(TrayCalls()[1].iconId, IDI_BALANCED);
}

// A Modern Standby machine has no High Performance: the refused switch is not announced, and
// the tray shows the plan that stayed active.
TEST_F(PlanSwitchingTest, RefusedSwitchIsNotAnnouncedYetRefreshesTheTray)
{
    scriptedPower.activePlan = PLAN_BALANCED;
    scriptedPower.refusedPlans = {PLAN_HIGH_PERFORMANCE};
    ClearLogs();
    SendPowerSource(window, 0);
    EXPECT_TRUE(SwitchedTo(PLAN_HIGH_PERFORMANCE));
    EXPECT_EQ(TrayFlags(), kStatusOnly);
    EXPECT_STREQ(app.trayIcon.szTip, L"Current power plan: Balanced.");
}

TEST_F(PlanSwitchingTest, SwitchingToTheActivePlanStillSetsAnnouncesAndRefreshes)
{
    ClearLogs();
    ShowSwitch(SwitchToPlan(PLAN_HIGH_PERFORMANCE));
    EXPECT_TRUE(SwitchedTo(PLAN_HIGH_PERFORMANCE));
    EXPECT_EQ(TrayFlags(), kBalloonThenStatus);
}

TEST_F(PlanSwitchingTest, RulesKeepNoMemoryOfHavingActed)
{
    SendPowerSource(window, 1);
    ShowSwitch(SwitchToPlan(PLAN_POWER_SAVER));  // picked by hand
    ClearLogs();
    SendPowerSource(window, 1);
    EXPECT_TRUE(SwitchedTo(PLAN_BALANCED));
}

// The rule cannot tell whether its target is active, so it sets it; the balloon names the plan
// asked for while the tray tells the truth about what it could read.
TEST_F(PlanSwitchingTest, UnreadableActivePlanStillGetsTheTarget)
{
    scriptedPower.activeReadable = false;
    ClearLogs();
    SendPowerSource(window, 1);
    EXPECT_TRUE(SwitchedTo(PLAN_BALANCED));
    EXPECT_STREQ(app.trayIcon.szInfo, L"The power plan has been changed to Balanced.");
    EXPECT_STREQ(app.trayIcon.szTip, L"Current power plan: unknown.");

    app.settings.switchOnLowBattery = 1;
    app.settings.lowBatteryPlan = PLAN_POWER_SAVER;
    scriptedPower.acLineStatus = 0;
    ClearLogs();
    SendBatteryPercent(window, 10);
    EXPECT_TRUE(SwitchedTo(PLAN_POWER_SAVER));
}
