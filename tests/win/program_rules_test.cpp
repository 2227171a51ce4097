// Program rules in the program: "programs.txt" read at start-up, the foreground hook only while
// there is a rule, what a program in front brings, and the window that edits the rules. The
// decision's every case is in tests/core/program_rules_test.cpp.
#include <string>
#include <vector>

#include "core/plan_ids.h"
#include "core/power_modes.h"
#include "actions/foreground_watch.h"
#include "settings/program_rules_dialog.h"
#include "support/app_fixture.h"
#include "support/import_hook.h"
#include "support/plan_registry.h"
#include "support/temp_directory.h"

namespace {

std::vector<std::string> hookCalls;
const auto kFakeHook = reinterpret_cast<HWINEVENTHOOK>(0x5150);

HWINEVENTHOOK WINAPI RecordSetHook(DWORD first, DWORD last, HMODULE module, WINEVENTPROC callback,
                                   DWORD process, DWORD thread, DWORD flags)
{
    char line[96];
    wsprintfA(line, "set %lu-%lu module %d callback %d process %lu thread %lu flags %lu", first, last,
              module != nullptr, callback != nullptr, process, thread, flags);
    hookCalls.push_back(line);
    return kFakeHook;
}

BOOL WINAPI RecordUnhook(HWINEVENTHOOK hook)
{
    hookCalls.push_back(hook == kFakeHook ? "unhook" : "unhook another");
    return TRUE;
}

std::vector<std::string> timerCalls;

UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC)
{
    timerCalls.push_back("set " + std::to_string(id) + " " + std::to_string(ms));
    return window != nullptr ? id : 0;
}

BOOL WINAPI RecordKillTimer(HWND, UINT_PTR id)
{
    timerCalls.push_back("kill " + std::to_string(id));
    return TRUE;
}

const char kRules[] =
    "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}\tgame.exe\r\n"
    "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C} no tab\r\n"
    "not a rule at all\r\n"
    "{A1841308-3541-4FAB-BC81-F71556F20B4A}\tC:\\Tools\\build.exe\r\n";

class ProgramRulesTest : public AppFixture {
protected:
    // Before the window is made, so that its start-up reads the file.
    void PreparePower() override
    {
        hookCalls.clear();
        timerCalls.clear();
        ASSERT_FALSE(directory.path.empty());
        ASSERT_TRUE(WriteTestFile(L"programs.txt", kRules));
        ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_BALANCED), PlanKeyName(PLAN_HIGH_PERFORMANCE),
                                     PlanKeyName(PLAN_POWER_SAVER)}));
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        RemovePlanKeys();
    }
    HWND Rules() { return ProgramRulesWindow(); }
    std::vector<std::wstring> ListLines() { return ListBoxLines(Rules(), IDC_RULE_LIST); }
    void RulesCommand(WORD id, WORD code = 0) { SendDialogCommand(Rules(), id, code); }
    std::string File()
    {
        std::string bytes;
        return ReadTestFile(L"programs.txt", &bytes) ? bytes : "(none)";
    }
    // The settle timer's message, as the timer would bring it.
    void Settle() { SendMessageW(window, WM_TIMER, kSettleTimer, 0); }
    TempDirectory directory;
    ImportHook setTimer{"user32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer)};
    ImportHook killTimer{"user32.dll", "KillTimer", reinterpret_cast<void*>(RecordKillTimer)};
    ImportHook setHook{"user32.dll", "SetWinEventHook", reinterpret_cast<void*>(RecordSetHook)};
    ImportHook unhook{"user32.dll", "UnhookWinEvent", reinterpret_cast<void*>(RecordUnhook)};
};

}  // namespace

TEST_F(ProgramRulesTest, ReadAtStartFollowedByOneHookUntilTheLastRuleGoes)
{
    ASSERT_TRUE(setHook.installed() && unhook.installed());
    ASSERT_EQ(app.programRules.size(), 2u) << "the lines that cannot be read are skipped, silently";
    // EVENT_SYSTEM_FOREGROUND alone, every process and thread, out of context (no module).
    EXPECT_EQ(hookCalls, std::vector<std::string>{
                             "set 3-3 module 0 callback 1 process 0 thread 0 flags 0"});

    Command(IDM_PROGRAM_RULES);
    ASSERT_NE(Rules(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Rules()));
    std::vector<std::wstring> expected = {L"game.exe\tHigh performance",
                                          L"C:\\Tools\\build.exe\tPower saver"};
    EXPECT_EQ(ListLines(), expected);
    RulesCommand(IDC_REMOVE_RULE);
    RulesCommand(IDC_REMOVE_RULE);
    EXPECT_TRUE(ListLines().empty());
    EXPECT_EQ(File(), kRules) << "nothing is saved before OK";
    RulesCommand(IDOK);
    EXPECT_FALSE(IsWindowVisible(Rules()));
    EXPECT_EQ(File(), "");
    EXPECT_EQ(hookCalls.back(), "unhook") << "no hook while there is no rule";
    DestroyWindow(window);
    EXPECT_EQ(hookCalls.size(), 2u) << "nothing more to unhook at the end";
}

TEST_F(ProgramRulesTest, TargetChosenInTheWindowIsSavedOnOkOnly)
{
    Command(IDM_PROGRAM_RULES);
    SendDlgItemMessageW(Rules(), IDC_RULE_LIST, LB_SETCURSEL, 1, 0);
    RulesCommand(IDC_RULE_LIST, LBN_SELCHANGE);
    EXPECT_EQ(SendDlgItemMessageW(Rules(), IDC_RULE_TARGET, CB_GETCURSEL, 0, 0), 2) << "Power saver";
    SendDlgItemMessageW(Rules(), IDC_RULE_TARGET, CB_SETCURSEL, 0, 0);  // Balanced
    RulesCommand(IDC_RULE_TARGET, CBN_SELCHANGE);
    EXPECT_EQ(ListLines()[1], L"C:\\Tools\\build.exe\tBalanced");
    RulesCommand(IDCANCEL);
    EXPECT_EQ(File(), kRules);

    Command(IDM_PROGRAM_RULES);
    EXPECT_EQ(ListLines()[1], L"C:\\Tools\\build.exe\tPower saver") << "filled anew";
    SendDlgItemMessageW(Rules(), IDC_RULE_LIST, LB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(Rules(), IDC_RULE_TARGET, CB_SETCURSEL, 0, 0);
    RulesCommand(IDC_RULE_TARGET, CBN_SELCHANGE);
    RulesCommand(IDOK);
    EXPECT_EQ(File(), "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}\tgame.exe\r\n"
                      "{381B4222-F694-41F0-9685-FF5BB260DF2E}\tC:\\Tools\\build.exe\r\n");
}

TEST_F(ProgramRulesTest, ProgramsInFrontBringTheirTargetsAndTheOneBeforeComesBackOnceSettled)
{
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    HandleForegroundProgram(L"D:\\Games\\GAME.EXE");
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(timerCalls, std::vector<std::string>{"set 2 2000"}) << "the return waits, on a one-shot timer";
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    EXPECT_EQ(timerCalls.back(), "kill 2") << "back within the wait: nothing switched, no timer left";
    HandleForegroundProgram(L"C:\\Tools\\build.exe");
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, PLAN_POWER_SAVER}));
    Settle();
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, PLAN_POWER_SAVER, PLAN_BALANCED}));
    EXPECT_EQ(std::wstring(app.trayIcon.szInfo), L"The power plan has been changed to Balanced.");
    EXPECT_EQ(timerCalls.back(), "kill 2");
    EXPECT_EQ(timerCalls.size(), 4u);

    // A plan chosen by hand while the game is in front stands.
    scriptedPower.calls.clear();
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    scriptedPower.activePlan = PLAN_POWER_SAVER;
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    Settle();
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_HIGH_PERFORMANCE});

    // The cord is pulled while the game is in front: the game's plan stays; once it has left,
    // the unplugged rule's target comes, not the plan of before.
    scriptedPower.calls.clear();
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    scriptedPower.acLineStatus = 0;
    scriptedPower.batteryPercent = 80;
    SendPowerSource(window, 1);
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_HIGH_PERFORMANCE});
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    Settle();
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, PLAN_BALANCED}));

    // At or below the battery rule's percent, off AC, the battery comes first.
    app.settings.switchOnLowBattery = 1;
    scriptedPower.batteryPercent = 30;
    scriptedPower.calls.clear();
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    EXPECT_TRUE(PlansSet().empty());
}

TEST_F(ProgramRulesTest, TheRuleEndsWithTheProgramAndWithItsRule)
{
    // Exit: the plan the game's rule replaced comes back before the program ends.
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    DestroyWindow(window);
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, PLAN_BALANCED}));
    window = nullptr;
}

TEST_F(ProgramRulesTest, SavedWithoutTheRuleInForceGivesBackAtOnce)
{
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    SendMessageW(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_HIGH_PERFORMANCE}) << "a log-off called off changes nothing";
    Command(IDM_PROGRAM_RULES);
    RulesCommand(IDC_REMOVE_RULE);  // game.exe, the first
    RulesCommand(IDOK);
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, PLAN_BALANCED}));
    EXPECT_FALSE(app.programState.acting);

    HandleForegroundProgram(L"C:\\Tools\\build.exe");
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, PLAN_BALANCED, PLAN_POWER_SAVER,
                                             PLAN_BALANCED}));
}

// On a Windows 11 machine: a plan of the vendor's made from Balanced comes back as itself after a
// rule for High Performance, though High Performance's personality is still on its way; a mode a
// rule set is undone after High Performance.
TEST_F(ProgramRulesTest, ThePlanAndTheModeOfBefore)
{
    GiveScriptedPowerModes();
    SetScriptedPlanName(kOwnPlan, L"Vendor Quiet");
    scriptedPower.activePlan = kOwnPlan;
    SendPersonality(window, PLAN_BALANCED);
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    Settle();
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_HIGH_PERFORMANCE, kOwnPlan}));
    EXPECT_EQ(CountCalls(L"SetPowerMode"), 0);
    EXPECT_EQ(std::wstring(app.trayIcon.szTip), L"Current power plan: Vendor Quiet (Balanced).");

    app.programRules[0].target = MODE_BEST_PERFORMANCE;
    scriptedPower.activePlan = PLAN_HIGH_PERFORMANCE;
    scriptedPower.calls.clear();
    HandleForegroundProgram(L"D:\\Games\\game.exe");
    HandleForegroundProgram(L"C:\\Windows\\notepad.exe");
    Settle();
    std::vector<std::wstring> switches;
    for (const std::wstring& call : scriptedPower.calls)
        if (call.compare(0, 3, L"Set") == 0)
            switches.push_back(call);
    std::vector<std::wstring> expected = {
        L"SetActivePlan " + GuidText(PLAN_BALANCED), L"SetPowerMode AC " + GuidText(MODE_BEST_PERFORMANCE),
        L"SetPowerMode AC " + GuidText(MODE_BALANCED), L"SetActivePlan " + GuidText(PLAN_HIGH_PERFORMANCE)};
    EXPECT_EQ(switches, expected);
}
