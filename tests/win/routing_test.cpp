// The window procedure's routing: what reaches a handler, and above all what must not.
#include <vector>

#include "core/plan_ids.h"
#include "res/resource.h"
#include "support/app_fixture.h"
#include "support/import_hook.h"

namespace {

int menusTracked = 0;
BOOL WINAPI CountTrackPopupMenu(HMENU, UINT, int, int, int, HWND, const RECT*)
{
    ++menusTracked;
    return FALSE;  // dismissed without a choice
}

std::vector<DWORD> trayOperations;
BOOL WINAPI RecordNotifyIcon(DWORD operation, PNOTIFYICONDATAW data)
{
    trayOperations.push_back(operation);
    if (operation == NIM_DELETE) {
        EXPECT_EQ(data->uFlags, 0u);
    }
    return TRUE;
}

class RoutingTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        menusTracked = 0;
        trayOperations.clear();
    }
    void InstallThreePlans()
    {
        ClearPlans();
        AppendPlan(PLAN_POWER_SAVER);
        AppendPlan(PLAN_HIGH_PERFORMANCE);
        AppendPlan(PLAN_BALANCED);
    }
};

}  // namespace

TEST_F(RoutingTest, PlanCommandsOnlyWithinTheLastMenusRange)
{
    InstallThreePlans();
    Command(IDM_PLAN_FIRST);
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0) << "no menu built yet: lastPlanCommand is 500";

    app.lastPlanCommand = IDM_PLAN_FIRST + 2;  // as a menu over three plans leaves it
    Command(IDM_PLAN_FIRST - 1);
    Command(IDM_PLAN_FIRST + 3);
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0);

    Command(IDM_PLAN_FIRST + 1, 1);  // the notification code is not looked at
    Command(IDM_PLAN_FIRST + 2);
    std::vector<GUID> set = PlansSet();
    ASSERT_EQ(set.size(), 2u);
    EXPECT_TRUE(IsSameGuid(set[0], PLAN_HIGH_PERFORMANCE));
    EXPECT_TRUE(IsSameGuid(set[1], PLAN_BALANCED));
}

TEST_F(RoutingTest, RuleBoxesActOnlyOnClicks)
{
    HWND pluggedIn = GetDlgItem(window, IDC_PLUGGED_IN_PLAN);
    HWND percent = GetDlgItem(window, IDC_PERCENT);
    CheckDlgButton(window, IDC_SWITCH_ON_AC, BST_CHECKED);
    CheckDlgButton(window, IDC_SWITCH_ON_LOW_BATTERY, BST_CHECKED);
    EnableWindow(pluggedIn, FALSE);
    EnableWindow(percent, FALSE);

    Command(IDC_SWITCH_ON_AC, BN_SETFOCUS);
    Command(IDC_SWITCH_ON_LOW_BATTERY, BN_KILLFOCUS);
    EXPECT_FALSE(IsWindowEnabled(pluggedIn));
    EXPECT_FALSE(IsWindowEnabled(percent));

    Command(IDC_SWITCH_ON_AC, BN_CLICKED);
    EXPECT_TRUE(IsWindowEnabled(pluggedIn));
    EXPECT_FALSE(IsWindowEnabled(percent)) << "each box drives only its own rule's controls";
    Command(IDC_SWITCH_ON_LOW_BATTERY, BN_CLICKED);
    EXPECT_TRUE(IsWindowEnabled(percent));
}

TEST_F(RoutingTest, OnlyPowerSettingChangesAndResumeReachTheRules)
{
    scriptedPower.activePlan = PLAN_POWER_SAVER;
    std::vector<unsigned char> buffer(sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD));
    auto* notice = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer.data());
    notice->PowerSetting = GUID_ACDC_POWER_SOURCE;
    notice->DataLength = sizeof(DWORD);
    ZeroMemory(notice->Data, sizeof(DWORD));  // AC
    for (WPARAM other : {WPARAM(PBT_APMSUSPEND), WPARAM(PBT_APMRESUMESUSPEND),
                         WPARAM(PBT_APMPOWERSTATUSCHANGE)})
        SendMessageW(window, WM_POWERBROADCAST, other, reinterpret_cast<LPARAM>(notice));
    EXPECT_EQ(CountCalls(L"GetActivePlan"), 1) << "only the start-up tray refresh reads it";
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0);

    SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(notice));
    ASSERT_EQ(PlansSet().size(), 1u);
    EXPECT_TRUE(IsSameGuid(PlansSet()[0], PLAN_HIGH_PERFORMANCE));
}

// A resume brings no power-source notification when the source did not change, and Windows may
// have put Balanced back meanwhile: the rules run once for the source and charge of now, a plan
// picked by hand before the sleep not kept.
TEST_F(RoutingTest, ResumeRunsTheRulesForTheSourceAndChargeOfNow)
{
    const struct {
        BYTE acLineStatus;
        BYTE percent;
        GUID activeAfterSleep;
        std::vector<GUID> switches;
    } cases[] = {
        {1, 90, PLAN_BALANCED, {PLAN_HIGH_PERFORMANCE}},
        {1, 90, PLAN_HIGH_PERFORMANCE, {}},
        {0, 90, PLAN_HIGH_PERFORMANCE, {PLAN_BALANCED}},
        {0, 20, PLAN_HIGH_PERFORMANCE, {PLAN_BALANCED, PLAN_POWER_SAVER}},  // then the battery
        {255, 20, PLAN_BALANCED, {}},  // a source nobody knows names no target
    };
    app.settings.switchOnLowBattery = 1;
    app.settings.lowBatteryPlan = PLAN_POWER_SAVER;
    for (const auto& c : cases) {
        scriptedPower.acLineStatus = c.acLineStatus;
        scriptedPower.batteryPercent = c.percent;
        scriptedPower.activePlan = c.activeAfterSleep;
        scriptedPower.calls.clear();
        SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        EXPECT_EQ(PlansSet(), c.switches) << int(c.acLineStatus) << " " << int(c.percent);
        EXPECT_GE(CountCalls(L"GetActivePlan"), 1) << "the tray is refreshed";
    }
}

TEST_F(RoutingTest, TrayMenuOpensOnRightPressOrContextMenuOnly)
{
    ImportHook hook("user32.dll", "TrackPopupMenu", reinterpret_cast<void*>(CountTrackPopupMenu));
    ASSERT_TRUE(hook.installed());
    for (LPARAM ignored : {LPARAM(WM_RBUTTONUP), LPARAM(WM_LBUTTONDOWN), LPARAM(WM_LBUTTONUP),
                           LPARAM(WM_MOUSEMOVE), LPARAM(MAKELPARAM(WM_RBUTTONDOWN, 1))})
        SendMessageW(window, WM_TRAYNOTIFY, 1, ignored);
    EXPECT_EQ(menusTracked, 0);
    EXPECT_FALSE(IsWindowVisible(window));

    SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
    SendMessageW(window, WM_TRAYNOTIFY, 1, WM_CONTEXTMENU);
    EXPECT_EQ(menusTracked, 2);
}

TEST_F(RoutingTest, CloseBoxHidesAndTheFollowingCancelEndsNothing)
{
    ShowWindow(window, SW_SHOW);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    PumpMessages();  // the dialog manager's IDCANCEL arrives as a posted command
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindow(window)) << "closing never ends the program";
}

TEST_F(RoutingTest, ExitRemovesTheIconAndQuitsWithZero)
{
    ImportHook hook("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(RecordNotifyIcon));
    ASSERT_TRUE(hook.installed());
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_FALSE(trayOperations.empty());
    EXPECT_EQ(trayOperations.back(), DWORD(NIM_DELETE));
    EXPECT_EQ(PumpMessages(), 0);
}
