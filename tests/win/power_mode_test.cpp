// Power modes on a machine whose platform has them (Windows 10 and 11), and a Windows 7 machine
// left exactly as it was. The program starts with Balanced active on AC and the default settings.
#include <string>
#include <vector>

#include "core/guid_text.h"
#include "core/power_modes.h"
#include "power/power_api.h"
#include "support/app_fixture.h"
#include "support/menu_probe.h"
#include "support/plan_registry.h"
#include "support/temp_directory.h"

namespace {

class PowerModeTest : public AppFixture {
protected:
    // The plans are there before the window, so the defaults are the machine's with the plans.
    void PreparePower() override
    {
        GiveScriptedPowerModes();
        InstallPlanKeys({PlanKeyName(PLAN_BALANCED), PlanKeyName(PLAN_HIGH_PERFORMANCE)});
    }
    void SetUp() override
    {
        AppFixture::SetUp();
        app.settings.showNotifications = 1;
        PumpMessages();  // the callback made at the registration
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        RemovePlanKeys();
    }
    std::wstring MainMenu()
    {
        MenuProbe probe;
        SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
        return probe.menus.empty() ? L"" : probe.menus.back().text;
    }
    std::wstring Balloon() { return app.trayIcon.szInfo; }
    std::wstring Tip() { return app.trayIcon.szTip; }
};

// The main menu's lines from "Change Power Plan" on, its plan submenu left out.
std::wstring ModeLines(const std::wstring& menu)
{
    std::wstring lines;
    size_t start = menu.find(L"Change Power Plan >\n");
    for (size_t at = start, end; at != std::wstring::npos && (end = menu.find(L'\n', at)) != std::wstring::npos;
         at = end + 1) {
        std::wstring line = menu.substr(at, end - at);
        if (line.compare(0, 2, L"  ") != 0)
            lines += line + L"\n";
    }
    return lines;
}

}  // namespace

TEST_F(PowerModeTest, RegistersAndNamesTheModeInForce)
{
    EXPECT_EQ(CountCalls(L"RegisterPowerModeChange"), 1);
    EXPECT_EQ(scriptedPower.modeWindow, window);
    EXPECT_EQ(Tip(), L"Current power plan: Balanced (Balanced).");
    // The system's own slider moves: the callback posts, and the tooltip follows at once.
    ChangeScriptedModeElsewhere(true, MODE_BEST_PERFORMANCE);
    PumpMessages();
    EXPECT_EQ(Tip(), L"Current power plan: Balanced (Best Performance).");
    // A mode of the other source is not the one in force on AC.
    ChangeScriptedModeElsewhere(false, MODE_BEST_EFFICIENCY);
    PumpMessages();
    EXPECT_EQ(Tip(), L"Current power plan: Balanced (Best Performance).");
    // High Performance takes no mode: the tooltip names the plan alone.
    scriptedPower.activePlan = PLAN_HIGH_PERFORMANCE;
    SendPersonality(window, PLAN_HIGH_PERFORMANCE);
    EXPECT_EQ(Tip(), L"Current power plan: High performance.");
}

TEST_F(PowerModeTest, MenuOffersTheModesAndSetsOneForTheSourceInUse)
{
    EXPECT_EQ(ModeLines(MainMenu()), L"Change Power Plan >\nBest Power Efficiency 1031\n"
                                     L"Balanced 1032 *\nBest Performance 1033\n-\nProgram Rules... 1034\nHotkeys... 1035\nSettings 1026\n"
                                     L"-\nExit 1028\n");
    scriptedPower.calls.clear();
    Command(IDM_POWER_MODE_FIRST + 2);
    EXPECT_EQ(CountCalls(L"SetPowerMode AC " + GuidText(MODE_BEST_PERFORMANCE)), 1);
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0) << "Balanced is active already";
    EXPECT_EQ(Balloon(), L"The power plan has been changed to Balanced (Best Performance).");
    EXPECT_EQ(Tip(), L"Current power plan: Balanced (Best Performance).");

    // On battery, with High Performance active: Balanced first, then the battery's mode.
    scriptedPower.acLineStatus = 0;
    scriptedPower.activePlan = PLAN_HIGH_PERFORMANCE;
    EXPECT_EQ(ModeLines(MainMenu()).find(L'*'), std::wstring::npos) << "no mode acts on it";
    scriptedPower.calls.clear();
    Command(IDM_POWER_MODE_FIRST);
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_BALANCED});
    EXPECT_EQ(CountCalls(L"SetPowerMode DC " + GuidText(MODE_BEST_EFFICIENCY)), 1);
    EXPECT_EQ(Tip(), L"Current power plan: Balanced (Best Power Efficiency).");
}

TEST_F(PowerModeTest, RuleTargetsMayBeModes)
{
    app.settings.unpluggedPlan = MODE_BEST_EFFICIENCY;
    scriptedPower.calls.clear();
    scriptedPower.acLineStatus = 0;
    SendPowerSource(window, 1);
    EXPECT_EQ(CountCalls(L"SetPowerMode DC " + GuidText(MODE_BEST_EFFICIENCY)), 1);
    EXPECT_TRUE(PlansSet().empty());
    EXPECT_EQ(Balloon(), L"The power plan has been changed to Balanced (Best Power Efficiency).");
    scriptedPower.calls.clear();
    SendPowerSource(window, 1);  // in force already
    EXPECT_EQ(CountCalls(L"SetPowerMode"), 0);
    // Back on AC the plan target acts as before, and the AC mode is named beside it.
    scriptedPower.acLineStatus = 1;
    SendPowerSource(window, 0);
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_HIGH_PERFORMANCE});
    EXPECT_EQ(Tip(), L"Current power plan: High performance.");
}

TEST_F(PowerModeTest, SettingsListTheModesAfterThePlansAndSaveTheirIdentifiers)
{
    TempDirectory directory;
    ASSERT_FALSE(directory.path.empty());
    std::string file = kDefaultFile;
    file.replace(40, 38, "{DED574B5-45A0-4F42-8737-46345C09C238}");  // unplugged: best performance
    ASSERT_TRUE(WriteTestFile(L"config.txt", file));
    Command(IDM_SETTINGS);
    HWND box = GetDlgItem(window, IDC_UNPLUGGED_PLAN);
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < SendMessageW(box, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[kPlanNameUnits] = {};
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    std::vector<std::wstring> expected = {L"Balanced", L"High performance",
                                          L"Balanced (Best Power Efficiency)",
                                          L"Balanced (Balanced)", L"Balanced (Best Performance)"};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 4);
    EXPECT_TRUE(IsSameGuid(app.settings.unpluggedPlan, MODE_BEST_PERFORMANCE));

    SendDlgItemMessageW(window, IDC_PLUGGED_IN_PLAN, CB_SETCURSEL, 3, 0);  // the Balanced mode
    Command(IDOK);
    std::string saved;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &saved));
    EXPECT_EQ(saved.substr(0, 80), "{00000000-0000-0000-0000-000000000000}\r\n"
                                   "{DED574B5-45A0-4F42-8737-46345C09C238}\r\n");
}

// A first run (no config.txt) where the platform has modes and a default's plan is missing: the
// default names the plan's mode, on the first notification and in the first file. Machines with
// the plans, and machines without modes, keep the defaults and the 133-byte file; a saved file
// is read as ever.
TEST(FirstRunTest, DefaultsNameTheModeOfAPlanTheMachineLacks)
{
    TempDirectory directory;
    ASSERT_FALSE(directory.path.empty());
    const std::string modernStandbyFile =
        "{DED574B5-45A0-4F42-8737-46345C09C238}" + std::string(kDefaultFile + 38);
    const struct {
        const char* what;
        bool modes;
        bool allPlans;  // else Balanced alone
        bool saved;     // a config.txt from before, with the defaults
        GUID pluggedIn;
        const std::string& file;
    } cases[] = {
        {"Modern Standby", true, false, false, MODE_BEST_PERFORMANCE, modernStandbyFile},
        {"modes and the plans", true, true, false, PLAN_HIGH_PERFORMANCE, kDefaultFile},
        {"no modes", false, false, false, PLAN_HIGH_PERFORMANCE, kDefaultFile},
        {"a saved file", true, false, true, PLAN_HIGH_PERFORMANCE, kDefaultFile},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> keys = {PlanKeyName(PLAN_BALANCED)};
        if (c.allPlans) {
            keys.push_back(PlanKeyName(PLAN_HIGH_PERFORMANCE));
            keys.push_back(PlanKeyName(PLAN_POWER_SAVER));
        }
        ASSERT_TRUE(InstallPlanKeys(keys));
        DeleteFileW(L"config.txt");
        if (c.saved) {
            ASSERT_TRUE(WriteTestFile(L"config.txt", kDefaultFile));
        }
        ResetAppState();
        ResetScriptedPower();
        if (c.modes) {
            GiveScriptedPowerModes();
        }
        HWND window = CreateSettingsDialog(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, c.pluggedIn)) << c.what;
        EXPECT_TRUE(IsSameGuid(app.settings.unpluggedPlan, PLAN_BALANCED)) << c.what;
        EXPECT_TRUE(IsSameGuid(app.settings.lowBatteryPlan, PLAN_BALANCED)) << c.what;
        SendPowerSource(window, 0);
        EXPECT_EQ(CountCalls(L"SetPowerMode AC " + GuidText(MODE_BEST_PERFORMANCE)),
                  IsPowerMode(c.pluggedIn) ? 1 : 0) << c.what;
        SendMessageW(window, WM_COMMAND, IDM_SETTINGS, 0);
        std::string file;
        ASSERT_TRUE(ReadTestFile(L"config.txt", &file)) << c.what;
        EXPECT_EQ(file, c.file) << c.what;
        DestroyWindow(window);
        PumpMessages();
    }
    ResetAppState();
    RemovePlanKeys();
}

// Without the platform's mode functions nothing of it shows: no registration, no mode call, the
// menu, tooltip, balloon and lists as they always were, and a mode in config.txt is not taken.
using WindowsSevenTest = AppFixture;

TEST_F(WindowsSevenTest, NothingOfThePowerModesShows)
{
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_BALANCED), PlanKeyName(PLAN_HIGH_PERFORMANCE)}));
    TempDirectory directory;
    std::string file = kDefaultFile;
    file.replace(40, 38, "{DED574B5-45A0-4F42-8737-46345C09C238}");
    ASSERT_TRUE(WriteTestFile(L"config.txt", file));
    Command(IDM_SETTINGS);
    EXPECT_TRUE(IsSameGuid(app.settings.unpluggedPlan, PLAN_BALANCED));
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_UNPLUGGED_PLAN, CB_GETCOUNT, 0, 0), 2);
    Command(IDCANCEL);
    {
        MenuProbe probe;
        SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
        ASSERT_EQ(probe.menus.size(), 1u);
        EXPECT_EQ(probe.menus[0].text.find(L"Best"), std::wstring::npos);
    }
    SendPowerSource(window, 0);
    Command(IDM_POWER_MODE_FIRST);
    EXPECT_EQ(app.trayIcon.szTip, std::wstring(L"Current power plan: High performance."));
    EXPECT_EQ(app.trayIcon.szInfo,
              std::wstring(L"The power plan has been changed to High performance."));
    EXPECT_EQ(CountCalls(L"RegisterPowerModeChange") + CountCalls(L"GetPowerMode") +
                  CountCalls(L"SetPowerMode"), 0);
    RemovePlanKeys();
}
