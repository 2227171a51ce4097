// The settings window driven as the user drives it, over real plan keys, a real "config.txt"
// in a temporary directory and the real Run key of the test prefix.
#include <algorithm>
#include <string>
#include <vector>

#include "core/guid_text.h"
#include "power/power_api.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "support/menu_probe.h"
#include "support/message_box_probe.h"
#include "support/plan_registry.h"
#include "support/run_key.h"
#include "support/temp_directory.h"

static const GUID HP = PLAN_HIGH_PERFORMANCE, BAL = PLAN_BALANCED, SAVER = PLAN_POWER_SAVER;
// Not installed at first; its key name sorts before the built-in plans, and it has no name.
static const GUID kOther = {0x0BADF00D, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

static std::string Line(const GUID& plan)
{
    char text[kGuidTextLength + 1];
    FormatGuidText(plan, text);
    return std::string(text) + "\r\n";
}

class SettingsDialogTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_FALSE(directory.path.empty());
        DeleteRunValue();
        // Windows stores the plans unbraced in small letters; Wine lists them alphabetically,
        // so the catalogue reads Balanced, High performance, Power saver.
        ASSERT_TRUE(InstallPlanKeys({PlanKeyName(HP), PlanKeyName(SAVER), PlanKeyName(BAL)}));
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        RemovePlanKeys();
        DeleteRunValue();
    }

    void Click(int id) { SendDlgItemMessageW(window, id, BM_CLICK, 0, 0); }
    LRESULT Selected(int box) { return SendDlgItemMessageW(window, box, CB_GETCURSEL, 0, 0); }
    bool Checked(int box) { return SendDlgItemMessageW(window, box, BM_GETCHECK, 0, 0) != 0; }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }
    std::wstring Text(int id)
    {
        wchar_t text[64] = {};
        GetDlgItemTextW(window, id, text, 64);
        return text;
    }
    std::vector<std::wstring> Entries(int box)
    {
        std::vector<std::wstring> entries;
        LRESULT count = SendDlgItemMessageW(window, box, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[kPlanNameUnits] = {};
            SendDlgItemMessageW(window, box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    std::string File()
    {
        std::string bytes;
        return ReadTestFile(L"config.txt", &bytes) ? bytes : "(none)";
    }

    TempDirectory directory;
};

TEST_F(SettingsDialogTest, ShowingCreatesTheFileAndListsThePlansAsInstalledNow)
{
    Command(IDM_SETTINGS);
    EXPECT_EQ(File(), kDefaultFile);
    EXPECT_TRUE(IsWindowVisible(window));
    std::vector<std::wstring> names = {L"Balanced", L"High performance", L"Power saver"};
    for (int box : {IDC_PLUGGED_IN_PLAN, IDC_UNPLUGGED_PLAN, IDC_LOW_BATTERY_PLAN})
        EXPECT_EQ(Entries(box), names);
    EXPECT_EQ(Selected(IDC_PLUGGED_IN_PLAN), 1);
    EXPECT_EQ(Selected(IDC_UNPLUGGED_PLAN), 0);
    EXPECT_EQ(Selected(IDC_LOW_BATTERY_PLAN), 0);
    EXPECT_EQ(Text(IDC_PERCENT), L"30");
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_PERCENT, EM_GETLIMITTEXT, 0, 0), 2);
    EXPECT_TRUE(Checked(IDC_SWITCH_ON_AC));
    EXPECT_FALSE(Checked(IDC_SWITCH_ON_LOW_BATTERY));
    EXPECT_TRUE(Checked(IDC_NOTIFICATIONS));
    EXPECT_FALSE(Checked(IDC_RUN_AT_STARTUP));

    // A plan installed while the window is hidden is listed at the next showing, and a plan
    // without a name shows its identifier, so positions still match the catalogue.
    SendMessageW(window, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(HP), PlanKeyName(SAVER), PlanKeyName(BAL),
                                 PlanKeyName(kOther)}));
    SendMessageW(window, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window));
    names.insert(names.begin(), GuidText(kOther));
    EXPECT_EQ(Entries(IDC_LOW_BATTERY_PLAN), names);
    EXPECT_EQ(Selected(IDC_PLUGGED_IN_PLAN), 2);

}

TEST_F(SettingsDialogTest, KeepsItsOwnListWhileTheTrayMenuReadsThePlansAgain)
{
    Command(IDM_SETTINGS);
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(HP), PlanKeyName(SAVER), PlanKeyName(BAL),
                                 PlanKeyName(kOther)}));
    {
        MenuProbe probe;
        SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
        ASSERT_EQ(probe.menus.size(), 1u);
        EXPECT_NE(probe.menus[0].text.find(GuidText(kOther)), std::wstring::npos);
    }
    // Entry 2 is still Power saver, as the window listed it, though the catalogue moved on.
    SendDlgItemMessageW(window, IDC_PLUGGED_IN_PLAN, CB_SETCURSEL, 2, 0);
    Command(IDOK);
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, SAVER));
}

TEST_F(SettingsDialogTest, HandEditedFileIsInForceEvenAfterCancel)
{
    std::string edited = Line(SAVER) + Line(kOther) + Line(HP) + "0\r\n1\r\n0\r\n150\r\n";
    ASSERT_TRUE(WriteTestFile(L"config.txt", edited));
    Command(IDM_SETTINGS);
    Command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(File(), edited);
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, SAVER));
    EXPECT_TRUE(IsSameGuid(app.settings.unpluggedPlan, BAL));  // the stored plan is not installed
    EXPECT_TRUE(IsSameGuid(app.settings.lowBatteryPlan, HP));
    EXPECT_EQ(app.settings.switchOnAcChange, 0);
    EXPECT_EQ(app.settings.switchOnLowBattery, 1);
    EXPECT_EQ(app.settings.showNotifications, 0);
    EXPECT_EQ(app.settings.lowBatteryPercent, 150);

    // The box whose plan is not installed has no selection, and OK keeps that setting; a
    // loaded percent above two digits is shown whole and read back unchanged.
    app.settings.unpluggedPlan = kOther;
    Command(IDM_SETTINGS);
    EXPECT_EQ(Selected(IDC_PLUGGED_IN_PLAN), 2);
    EXPECT_EQ(Selected(IDC_UNPLUGGED_PLAN), CB_ERR);
    EXPECT_EQ(Selected(IDC_LOW_BATTERY_PLAN), 1);
    EXPECT_EQ(Text(IDC_PERCENT), L"150");
    EXPECT_FALSE(Enabled(IDC_PLUGGED_IN_PLAN));
    EXPECT_FALSE(Enabled(IDC_UNPLUGGED_PLAN));
    EXPECT_TRUE(Enabled(IDC_LOW_BATTERY_PLAN));
    EXPECT_TRUE(Enabled(IDC_PERCENT));
    Command(IDOK);
    EXPECT_EQ(File(), edited);
}

TEST_F(SettingsDialogTest, RuleBoxesEnableAndDisableExactlyTheirTwoControls)
{
    Command(IDM_SETTINGS);
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), 16u);
    auto expectDisabledOnly = [&](std::vector<int> disabled) {
        for (HWND child : children) {
            int id = GetDlgCtrlID(child);
            bool expected = std::find(disabled.begin(), disabled.end(), id) == disabled.end();
            EXPECT_EQ(IsWindowEnabled(child) != FALSE, expected) << "control " << id;
        }
    };
    expectDisabledOnly({IDC_LOW_BATTERY_PLAN, IDC_PERCENT});
    Click(IDC_SWITCH_ON_LOW_BATTERY);
    expectDisabledOnly({});
    Click(IDC_SWITCH_ON_AC);
    expectDisabledOnly({IDC_PLUGGED_IN_PLAN, IDC_UNPLUGGED_PLAN});
    Click(IDC_SWITCH_ON_LOW_BATTERY);
    expectDisabledOnly({IDC_PLUGGED_IN_PLAN, IDC_UNPLUGGED_PLAN, IDC_LOW_BATTERY_PLAN, IDC_PERCENT});
}

TEST_F(SettingsDialogTest, OkCopiesTheControlsSavesAndHidesWithoutSwitching)
{
    Command(IDM_SETTINGS);
    SendDlgItemMessageW(window, IDC_PLUGGED_IN_PLAN, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(window, IDC_UNPLUGGED_PLAN, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(window, IDC_LOW_BATTERY_PLAN, CB_SETCURSEL, 2, 0);
    Click(IDC_SWITCH_ON_LOW_BATTERY);
    Click(IDC_NOTIFICATIONS);
    SetDlgItemTextW(window, IDC_PERCENT, L"");
    scriptedPower.calls.clear();
    Command(IDOK);

    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(File(), Line(SAVER) + Line(HP) + Line(SAVER) + "1\r\n1\r\n0\r\n0\r\n");
    EXPECT_TRUE(IsSameGuid(app.settings.lowBatteryPlan, SAVER));
    EXPECT_EQ(app.settings.lowBatteryPercent, 0);
    EXPECT_EQ(CountCalls(L"SetActivePlan"), 0);
    DWORD type;
    std::vector<BYTE> data;
    EXPECT_FALSE(ReadRunValue(&type, &data));  // box clear and no value: nothing deleted or made
}

TEST_F(SettingsDialogTest, OkChangesTheRunValueOnlyWhereBoxAndRegistryDisagree)
{
    DWORD foreign = 5;  // another program's value counts as registered
    ASSERT_TRUE(WriteRunValue(REG_DWORD, &foreign, sizeof(foreign)));
    Command(IDM_SETTINGS);
    EXPECT_TRUE(Checked(IDC_RUN_AT_STARTUP));
    Command(IDOK);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadRunValue(&type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));  // untouched, not rewritten

    Command(IDM_SETTINGS);
    Click(IDC_RUN_AT_STARTUP);
    Command(IDOK);
    EXPECT_FALSE(ReadRunValue(&type, &data));

    // Ticked while another program deletes the value meanwhile: OK asks afresh and adds it.
    Command(IDM_SETTINGS);
    Click(IDC_RUN_AT_STARTUP);
    Command(IDOK);
    ASSERT_TRUE(ReadRunValue(&type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    Command(IDM_SETTINGS);
    EXPECT_TRUE(Checked(IDC_RUN_AT_STARTUP));
    DeleteRunValue();
    Command(IDOK);
    EXPECT_TRUE(ReadRunValue(&type, &data));
}

TEST_F(SettingsDialogTest, MissingRunKeyShowsItsMessageYetSavesAndHides)
{
    RunKeyRemoval removal;
    Command(IDM_SETTINGS);
    EXPECT_FALSE(Checked(IDC_RUN_AT_STARTUP));
    Click(IDC_RUN_AT_STARTUP);
    SetDlgItemTextW(window, IDC_PERCENT, L"45");
    RealMessageBoxCatcher catcher;
    Command(IDOK);

    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].owner, nullptr);
    EXPECT_EQ(catcher.boxes[0].caption, L"Epic Fail");
    EXPECT_EQ(catcher.boxes[0].text,
              L"An error occured while trying to set the program to run at startup. Sorry!\n"
              L"Unable to open registry key!");
    EXPECT_EQ(catcher.boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(RunKeyExists());
    EXPECT_EQ(File(), std::string(kDefaultFile, 129) + "45\r\n");
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(SettingsDialogTest, UnwritableConfigShowsTheSaveMessageAtFillAndAtOk)
{
    ASSERT_TRUE(CreateDirectoryW(L"config.txt", nullptr));  // in the way of reading and saving
    RealMessageBoxCatcher catcher;
    Command(IDM_SETTINGS);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(Text(IDC_PERCENT), L"30");
    SetDlgItemTextW(window, IDC_PERCENT, L"12");
    Command(IDOK);

    ASSERT_EQ(catcher.boxes.size(), 2u);
    for (const MessageBoxCall& box : catcher.boxes) {
        EXPECT_EQ(box.caption, L"Oh snap!");
        EXPECT_EQ(box.text, L"Could not open config.txt! The configuration could not be saved.");
    }
    EXPECT_EQ(app.settings.lowBatteryPercent, 12);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(FileExists(L"config.txt.new"));
}
