// Commands of the command line: carried out by the running window through WM_COPYDATA, and by a
// start with arguments on its own, with its exit code and printed lines.
#include <cstring>
#include <string>

#include "app/command_start.h"
#include "core/copied_command.h"
#include "core/plan_ids.h"
#include "support/plan_registry.h"
#include "support/temp_directory.h"
#include "support/tray_recorder.h"

namespace {

CommandLine PlanCommand(const std::u16string& name)
{
    CommandLine command = {kCommandPlan, 0, {}};
    name.copy(command.name, kCommandNameUnits - 1);
    return command;
}

// The four plans in registry order: the user's own first, so the menu lists it first.
void InstallFourPlans()
{
    InstallPlanKeys({PlanKeyName(kOwnPlan), PlanKeyName(PLAN_BALANCED),
                     PlanKeyName(PLAN_HIGH_PERFORMANCE), PlanKeyName(PLAN_POWER_SAVER)});
    SetScriptedPlanName(kOwnPlan, L"Quiet Office");
}

bool SwitchedTo(const GUID& plan)
{
    std::vector<GUID> plans = PlansSet();
    return plans.size() == 1 && IsSameGuid(plans[0], plan);
}

LRESULT SendCopied(HWND window, ULONG_PTR tag, const void* data, DWORD size)
{
    COPYDATASTRUCT message = {tag, size, const_cast<void*>(data)};
    return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message));
}

}  // namespace

class CopiedCommandTest : public TrayFixture {
protected:
    void TearDown() override
    {
        TrayFixture::TearDown();
        RemovePlanKeys();
    }
};

TEST_F(CopiedCommandTest, TheRunningWindowSwitchesAndShowsIt)
{
    InstallFourPlans();
    scriptedPower.refusedPlans = {PLAN_POWER_SAVER};
    CommandLine next = {kCommandNext, 0, {}};
    const struct {
        CommandLine command;
        GUID active;       // before
        LRESULT result;    // 1 + the exit code
        const GUID* set;   // the plan asked for, null: none
        const wchar_t* balloon;
    } cases[] = {
        {PlanCommand(u"balanced"), PLAN_HIGH_PERFORMANCE, 1, &PLAN_BALANCED,
         L"The power plan has been changed to Balanced."},
        {PlanCommand(u"{11111111-2222-3333-0404-050505050505}"), PLAN_BALANCED, 1, &kOwnPlan,
         L"The power plan has been changed to Quiet Office."},
        {PlanCommand(u"QUIET OFFICE"), PLAN_BALANCED, 1, &kOwnPlan, nullptr},
        {PlanCommand(u"Nowhere"), PLAN_BALANCED, 2, nullptr, nullptr},
        {PlanCommand(u"{00000000-0000-0000-0000-000000000001}"), PLAN_BALANCED, 2, nullptr, nullptr},
        {PlanCommand(u"power saver"), PLAN_BALANCED, 3, &PLAN_POWER_SAVER, nullptr},
        {next, kOwnPlan, 1, &PLAN_HIGH_PERFORMANCE, nullptr},   // the menu's order
        {next, PLAN_BALANCED, 3, &PLAN_POWER_SAVER, nullptr},   // refused
        {next, PLAN_POWER_SAVER, 1, &kOwnPlan, nullptr},        // round again
    };
    for (const auto& c : cases) {
        scriptedPower.activePlan = c.active;
        scriptedPower.calls.clear();
        trayEvents.clear();
        CopiedCommand data;
        ASSERT_TRUE(WriteCopiedCommand(c.command, &data));
        EXPECT_EQ(SendCopied(window, kCopiedCommandTag, &data, sizeof(data)), c.result)
            << c.command.kind << " " << GuidText(c.active);
        std::vector<GUID> expected;
        if (c.set != nullptr)
            expected.push_back(*c.set);
        EXPECT_EQ(PlansSet(), expected) << c.command.kind << " " << GuidText(c.active);
        if (c.balloon != nullptr) {
            ASSERT_FALSE(TrayCalls().empty());
            EXPECT_STREQ(TrayCalls()[0].record.szInfo, c.balloon);
        }
        // A switch tried shows the plan really active; nothing tried shows nothing.
        EXPECT_EQ(TrayCalls().empty(), c.set == nullptr);
    }
}

TEST_F(CopiedCommandTest, AnythingButAWellFormedCommandIsIgnored)
{
    InstallFourPlans();
    CopiedCommand data;
    ASSERT_TRUE(WriteCopiedCommand(PlanCommand(u"Power Saver"), &data));
    std::vector<unsigned char> longer(sizeof(data) + 1);
    std::memcpy(longer.data(), &data, sizeof(data));
    scriptedPower.calls.clear();
    EXPECT_EQ(SendCopied(window, kCopiedCommandTag + 1, &data, sizeof(data)), 0);
    EXPECT_EQ(SendCopied(window, kCopiedCommandTag, &data, sizeof(data) - 1), 0);
    EXPECT_EQ(SendCopied(window, kCopiedCommandTag, longer.data(), sizeof(data) + 1), 0);
    EXPECT_EQ(SendCopied(window, kCopiedCommandTag, nullptr, sizeof(data)), 0);
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, 0), 0);
    EXPECT_TRUE(PlansSet().empty());
}

// At log-on the shell may still refuse the icon when a scheduled task's command arrives: the
// switch is made, and the icon that comes with the next try shows it.
TEST_F(CopiedCommandTest, AtLogOnTheIconThatComesLaterShowsTheCommandsPlan)
{
    InstallFourPlans();
    DestroyWindow(window);
    PumpMessages();
    ResetAppState();
    refusedTrayAdds = 1;
    window = CreateSettingsDialog(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    scriptedPower.calls.clear();
    CopiedCommand data;
    ASSERT_TRUE(WriteCopiedCommand(PlanCommand(u"Power Saver"), &data));
    EXPECT_EQ(SendCopied(window, kCopiedCommandTag, &data, sizeof(data)), 1);
    EXPECT_TRUE(SwitchedTo(PLAN_POWER_SAVER));
    trayEvents.clear();
    SendMessageW(window, WM_TIMER, kTrayRetryTimer, 0);
    ASSERT_FALSE(TrayCalls().empty());
    EXPECT_EQ(TrayCalls()[0].operation, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(app.trayIcon.szTip, L"Current power plan: Power saver.");
    bool tipGiven = false;
    for (const TrayEvent& call : TrayCalls())
        tipGiven = tipGiven || ((call.record.uFlags & NIF_TIP) != 0 &&
                                lstrcmpW(call.record.szTip, L"Current power plan: Power saver.") == 0);
    EXPECT_TRUE(tipGiven);
}

// Where no Quillmere runs, the starting process switches itself: no tray, its lines in the file
// its caller gave as standard output, and its exit code.
TEST(StartCommandTest, CarriesOutCommandsItselfAndPrintsTheirLines)
{
    TempDirectory directory;
    ASSERT_FALSE(directory.path.empty());
    InstallFourPlans();
    CommandLine usage = {kCommandUsage, 0, {}};
    CommandLine wrong = {kCommandUsageError, 0, {}};
    CommandLine status = {kCommandStatus, 0, {}};
    CommandLine mode = {kCommandMode, 2, {}};
    const struct {
        CommandLine command;
        bool hasModes;
        int exitCode;
        std::string printed;  // the start of the output
    } cases[] = {
        {PlanCommand(u"high performance"), false, 0,
         "The power plan has been changed to High performance.\r\n"},
        {PlanCommand(u"Quiet Office \U0001F50B"), false, 1,
         "There is no power plan named \"Quiet Office \xF0\x9F\x94\x8B\".\r\n"},
        {PlanCommand(u"Power Saver"), false, 2,
         "The system refused the switch; the power plan is Balanced.\r\n"},
        {mode, false, 1, "This machine has no power modes.\r\n"},
        {mode, true, 0, "The power plan has been changed to Balanced (Best Performance).\r\n"},
        // With modes, /next steps from the mode in force, Balanced, to Best Performance.
        {{kCommandNext, 0, {}}, true, 0, "The power plan has been changed to Balanced (Best Performance).\r\n"},
        {status, true, 0, "Power plan: Balanced\r\nPower mode: Balanced\r\nPower source: AC power\r\n"},
        {status, false, 0, "Power plan: Balanced\r\nPower source: AC power\r\n"},
        {usage, false, 0, "Usage: quillmere.exe [/plan NAME"},
        {wrong, false, 1, "Usage: quillmere.exe [/plan NAME"},
    };
    HANDLE before = GetStdHandle(STD_OUTPUT_HANDLE);
    TrayCallCounter tray;
    ASSERT_TRUE(tray.installed());
    for (const auto& c : cases) {
        ResetAppState();
        ResetScriptedPower();
        scriptedPower.refusedPlans = {PLAN_POWER_SAVER};
        if (c.hasModes)
            GiveScriptedPowerModes();
        HANDLE file = CreateFileW(L"out.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetStdHandle(STD_OUTPUT_HANDLE, file);
        int exitCode = RunStartCommand(c.command);
        SetStdHandle(STD_OUTPUT_HANDLE, before);
        CloseHandle(file);
        std::string printed;
        ASSERT_TRUE(ReadTestFile(L"out.txt", &printed));
        EXPECT_EQ(exitCode, c.exitCode) << c.printed;
        EXPECT_EQ(printed.substr(0, c.printed.size()), c.printed);
    }
    EXPECT_EQ(tray.calls(), 0);
    RemovePlanKeys();
}
