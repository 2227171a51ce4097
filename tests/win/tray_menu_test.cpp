// The tray menu as the platform really holds it while it is tracked, and the commands it sends.
#include <string>
#include <vector>

#include "core/plan_ids.h"
#include "res/resource.h"
#include "support/app_fixture.h"
#include "support/menu_probe.h"
#include "support/plan_registry.h"

namespace {

// Wine enumerates subkeys alphabetically: My plan first, the nameless plan last.
const GUID kMyPlan = {0x0c0ffee0, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
const GUID kNamelessPlan = {0xf00df00d, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};

const wchar_t kMainMenuHead[] = L"Aero On 1030\nDisplay Off 1029\n-\nChange Power Plan >\n";
const wchar_t kMainMenuTail[] = L"-\nProgram Rules... 1034\nHotkeys... 1035\nSettings 1026\n-\nExit 1028\n";

class TrayMenuTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(probe.installed());
    }
    void TearDown() override
    {
        RemovePlanKeys();
        AppFixture::TearDown();
    }
    // A right click on the tray icon, as the shell reports it.
    const TrackedMenu& OpenMenu()
    {
        size_t before = probe.menus.size();
        SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
        EXPECT_EQ(probe.menus.size(), before + 1);
        if (probe.menus.size() == before)
            probe.menus.push_back({});
        return probe.menus.back();
    }
    MenuProbe probe;
};

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

TEST_F(TrayMenuTest, ThreeBuiltInPlansWithBalancedActive)
{
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_POWER_SAVER), PlanKeyName(PLAN_BALANCED),
                                 PlanKeyName(PLAN_HIGH_PERFORMANCE)}));
    const TrackedMenu& menu = OpenMenu();
    // Registry order: Balanced 381b..., High Performance 8c5e..., Power Saver a184...
    EXPECT_EQ(menu.text, std::wstring(kMainMenuHead) +
                             L"  High Performance 502\n  Balanced 501 *\n  Power Saver 503\n" +
                             kMainMenuTail);
    EXPECT_EQ(app.lastPlanCommand, 503);
    EXPECT_EQ(menu.flags, static_cast<UINT>(TPM_BOTTOMALIGN));
    EXPECT_EQ(menu.x, kProbeCursor.x);
    EXPECT_EQ(menu.y, kProbeCursor.y);
    EXPECT_EQ(menu.reserved, 0);
    EXPECT_EQ(menu.owner, window);
    EXPECT_EQ(menu.exclude, nullptr);
    EXPECT_TRUE(menu.loopRan) << "the real menu loop must have run";
    std::vector<std::string> order = {"GetCursorPos", "CreatePopupMenu", "CreatePopupMenu",
                                      "SetForegroundWindow", "TrackPopupMenu"};
    EXPECT_EQ(probe.calls, order);
    EXPECT_FALSE(IsMenu(menu.menu)) << "the menu is destroyed once tracking ends";
    EXPECT_FALSE(IsMenu(menu.submenu));
    MSG benign;
    EXPECT_TRUE(PeekMessageW(&benign, window, WM_NULL, WM_NULL, PM_REMOVE))
        << "a WM_NULL posted after tracking lets the next opening stay up";

    scriptedPower.activeReadable = false;
    EXPECT_EQ(Lines(OpenMenu().text)[5], L"  Balanced 501") << "no tick without an active plan";
}

TEST_F(TrayMenuTest, OtherPlansAboveTheSeparatorBuiltInsUnderFixedLabels)
{
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_POWER_SAVER), PlanKeyName(kNamelessPlan),
                                 PlanKeyName(PLAN_BALANCED), PlanKeyName(kMyPlan),
                                 PlanKeyName(PLAN_HIGH_PERFORMANCE)}));
    SetScriptedPlanName(kMyPlan, L"My plan");
    SetScriptedPlanName(PLAN_HIGH_PERFORMANCE, L"Renamed by the user");
    scriptedPower.activePlan = kMyPlan;
    app.settings.showNotifications = 1;
    EXPECT_EQ(OpenMenu().text, std::wstring(kMainMenuHead) +
                                   L"  My plan 501 *\n  " + GuidText(kNamelessPlan) + L" 505\n" +
                                   L"  -\n  High Performance 503\n  Balanced 502\n"
                                   L"  Power Saver 504\n" + kMainMenuTail);
    EXPECT_EQ(app.lastPlanCommand, 505);

    // After the menu has gone the ids still select their plans, the active one included.
    Command(501);
    Command(505);
    Command(503, 1);
    std::vector<std::wstring> set;
    for (const GUID& plan : PlansSet())
        set.push_back(GuidText(plan));
    std::vector<std::wstring> expected = {GuidText(kMyPlan), GuidText(kNamelessPlan),
                                          GuidText(PLAN_HIGH_PERFORMANCE)};
    EXPECT_EQ(set, expected);
}

TEST_F(TrayMenuTest, MissingBuiltInsGrayedAndStalePositionsIgnored)
{
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_HIGH_PERFORMANCE), PlanKeyName(kMyPlan)}));
    SetScriptedPlanName(kMyPlan, L"R&D plan");  // a shortcut mark unless it is doubled
    scriptedPower.activePlan = PLAN_POWER_SAVER;
    EXPECT_EQ(OpenMenu().text, std::wstring(kMainMenuHead) +
                                   L"  R&&D plan 501\n  High Performance 502\n  Balanced 0 ~\n"
                                   L"  Power Saver 0 * ~\n" + kMainMenuTail);

    // The settings window re-reads the list with one plan fewer before the choice arrives.
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_HIGH_PERFORMANCE)}));
    RefreshPlanCatalogue();
    Command(502);
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0);
    Command(501);
    ASSERT_EQ(PlansSet().size(), 1u);
    EXPECT_TRUE(IsSameGuid(PlansSet()[0], PLAN_HIGH_PERFORMANCE));
}

// Serves 600 identifier subkeys: Balanced at position 0, High Performance at 502 (the last
// position whose id fits below the fixed commands), Power Saver at 550.
static LONG WINAPI EnumerateSixHundredPlans(HKEY, DWORD index, LPWSTR name, DWORD units)
{
    if (index >= 600)
        return ERROR_NO_MORE_ITEMS;
    GUID plan = {index, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 9}};
    if (index == 0)
        plan = PLAN_BALANCED;
    if (index == 502)
        plan = PLAN_HIGH_PERFORMANCE;
    if (index == 550)
        plan = PLAN_POWER_SAVER;
    lstrcpynW(name, PlanKeyName(plan).c_str(), static_cast<int>(units));
    return ERROR_SUCCESS;
}

TEST_F(TrayMenuTest, PlanIdsStopBelowTheFixedCommands)
{
    ASSERT_TRUE(InstallPlanKeys({}));
    std::vector<std::wstring> lines;
    {
        ImportHook plans("advapi32.dll", "RegEnumKeyW", reinterpret_cast<void*>(EnumerateSixHundredPlans));
        ASSERT_TRUE(plans.installed());
        lines = Lines(OpenMenu().text);
    }
    EXPECT_EQ(PlanCount(), 600u);
    EXPECT_EQ(app.lastPlanCommand, 1003);
    ASSERT_EQ(lines.size(), 4u + 501 + 4 + 6);  // head, 501 other plans, separator and built-ins, tail
    EXPECT_EQ(lines[4], L"  " + GuidText({1, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 9}}) + L" 502");
    EXPECT_EQ(lines[504], L"  " + GuidText({501, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 9}}) + L" 1002");
    std::vector<std::wstring> bottom = {L"  -", L"  High Performance 1003", L"  Balanced 501 *",
                                        L"  Power Saver 0 ~"};
    EXPECT_EQ(std::vector<std::wstring>(lines.begin() + 505, lines.begin() + 509), bottom);

    Command(IDC_PERCENT, EN_CHANGE);
    Command(IDC_LOW_BATTERY_PLAN, CBN_SELCHANGE);
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0) << "settings controls are never plan commands";
    Command(1003);
    ASSERT_EQ(PlansSet().size(), 1u);
    EXPECT_TRUE(IsSameGuid(PlansSet()[0], PLAN_HIGH_PERFORMANCE));
}

// Stand-ins for dwmapi's composition calls, handed out by a watched GetProcAddress.
namespace {
ImportHook* lookupHook = nullptr;
BOOL standInComposition = FALSE;
bool standInReadFails = false;
bool dwmFunctionsMissing = false;
std::vector<UINT> compositionSwitches;

HRESULT WINAPI StandInIsCompositionEnabled(BOOL* enabled)
{
    if (standInReadFails)
        return E_FAIL;
    *enabled = standInComposition;
    return S_OK;
}

HRESULT WINAPI StandInEnableComposition(UINT action)
{
    compositionSwitches.push_back(action);
    standInComposition = action != 0;
    return S_OK;
}

FARPROC WINAPI WatchGetProcAddress(HMODULE module, LPCSTR name)
{
    void* standIn = nullptr;
    if (module != nullptr && module == GetModuleHandleW(L"dwmapi.dll")) {
        if (IS_INTRESOURCE(name) && LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 102)
            standIn = reinterpret_cast<void*>(StandInEnableComposition);
        else if (!IS_INTRESOURCE(name) && lstrcmpA(name, "DwmIsCompositionEnabled") == 0)
            standIn = reinterpret_cast<void*>(StandInIsCompositionEnabled);
    }
    if (standIn != nullptr)
        return dwmFunctionsMissing ? nullptr : reinterpret_cast<FARPROC>(standIn);
    return lookupHook->original<FARPROC(WINAPI*)(HMODULE, LPCSTR)>()(module, name);
}
}  // namespace

TEST_F(TrayMenuTest, CompositionLabelAndSwitchFollowTheDesktopManager)
{
    ImportHook lookups("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(WatchGetProcAddress));
    ASSERT_TRUE(lookups.installed());
    lookupHook = &lookups;
    standInComposition = TRUE;
    standInReadFails = dwmFunctionsMissing = false;
    compositionSwitches.clear();

    EXPECT_EQ(Lines(OpenMenu().text)[0], L"Aero Off 1030");
    Command(IDM_TOGGLE_AERO);
    EXPECT_EQ(Lines(OpenMenu().text)[0], L"Aero On 1030");
    Command(IDM_TOGGLE_AERO);
    standInReadFails = true;  // the state cannot be read: off, so the switch asks for on
    EXPECT_EQ(Lines(OpenMenu().text)[0], L"Aero On 1030");
    Command(IDM_TOGGLE_AERO);
    EXPECT_EQ(compositionSwitches, std::vector<UINT>({0, 1, 1}));

    dwmFunctionsMissing = true;
    standInComposition = TRUE;
    EXPECT_EQ(Lines(OpenMenu().text)[0], L"Aero On 1030");
    Command(IDM_TOGGLE_AERO);  // nothing to call, and nothing breaks
    EXPECT_EQ(compositionSwitches.size(), 3u);
}

namespace {
ImportHook* sendHook = nullptr;
ImportHook* postHook = nullptr;
std::vector<std::vector<ULONG_PTR>> sentBroadcasts, postedBroadcasts;

LRESULT WINAPI WatchSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != HWND_BROADCAST)
        return sendHook->original<LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>()(window, message,
                                                                                  wParam, lParam);
    sentBroadcasts.push_back({message, wParam, static_cast<ULONG_PTR>(lParam)});
    return 0;  // never really broadcast from a test
}

BOOL WINAPI WatchPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != HWND_BROADCAST)
        return postHook->original<BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>()(window, message,
                                                                               wParam, lParam);
    postedBroadcasts.push_back({message, wParam, static_cast<ULONG_PTR>(lParam)});
    return TRUE;
}
}  // namespace

// Posted, never sent: a sent broadcast would wait for every top-level window, a hung one too.
TEST_F(TrayMenuTest, DisplayOffPostsMonitorPowerOffToEveryWindow)
{
    ImportHook sends("user32.dll", "SendMessageW", reinterpret_cast<void*>(WatchSendMessage));
    ImportHook posts("user32.dll", "PostMessageW", reinterpret_cast<void*>(WatchPostMessage));
    ASSERT_TRUE(sends.installed());
    ASSERT_TRUE(posts.installed());
    sendHook = &sends;
    postHook = &posts;
    sentBroadcasts.clear();
    postedBroadcasts.clear();
    Command(IDM_DISPLAY_OFF);
    std::vector<std::vector<ULONG_PTR>> expected = {{WM_SYSCOMMAND, SC_MONITORPOWER, 2}};
    EXPECT_EQ(postedBroadcasts, expected);
    EXPECT_TRUE(sentBroadcasts.empty());
}
