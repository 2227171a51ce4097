#include "settings/settings_dialog.h"

#include "base/app_state.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"
#include "power/plan_name.h"
#include "settings/config_file.h"
#include "settings/startup_registration.h"

// The three plan lists, unsorted and filled alike: entry k of each is entry k of the window's
// own copy of the plans, taken from the catalogue at each fill, so that the tray menu and the
// program rules window may read the catalogue again while this window is shown. Where the
// platform has power modes the three modes follow the plans, in their order.
static const int kPlanBoxes[3] = {IDC_PLUGGED_IN_PLAN, IDC_UNPLUGGED_PLAN, IDC_LOW_BATTERY_PLAN};
static std::vector<GUID> listedPlans;

// The lists keep the template's width, and a mode's entry is longer than they are: the dropped
// list is widened to show the longest entry whole, in the lists' own font.
static void FitDroppedWidth(HWND window)
{
    HWND box = GetDlgItem(window, kPlanBoxes[0]);
    HDC dc = GetDC(box);
    if (dc == nullptr)
        return;
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR text[kPlanNameUnits];
        LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, i, 0);
        SIZE extent = {};
        if (length >= 0 && length < static_cast<LRESULT>(kPlanNameUnits) &&
            SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text)) == length &&
            GetTextExtentPoint32W(dc, text, static_cast<int>(length), &extent) && extent.cx > widest)
            widest = extent.cx;
    }
    SelectObject(dc, font);
    ReleaseDC(box, dc);
    // Room for the list's scroll bar and its borders and margins beside the text.
    int width = widest + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE);
    for (int each : kPlanBoxes)
        SendDlgItemMessageW(window, each, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

static void FillPlanBoxes(HWND window)
{
    for (int box : kPlanBoxes)
        SendDlgItemMessageW(window, box, CB_RESETCONTENT, 0, 0);
    // A plan without a readable name shows its identifier text, as in the tray menu, so each
    // box still gets exactly one entry per plan.
    WCHAR name[kPlanNameUnits];
    for (const GUID& plan : listedPlans) {
        GetPlanDisplayName(plan, name);
        for (int box : kPlanBoxes)
            SendDlgItemMessageW(window, box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    if (!HasPowerModes())
        return;
    for (const PowerMode& mode : kPowerModes) {
        GetTargetName(*mode.id, name);
        for (int box : kPlanBoxes)
            SendDlgItemMessageW(window, box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    FitDroppedWidth(window);
}

// A target that is neither installed nor a listed mode gets the number of entries, one past the
// last, which selects nothing.
static void SelectPlan(HWND window, int box, const GUID& plan)
{
    unsigned position = FindPlanIn(listedPlans, plan);
    unsigned count = static_cast<unsigned>(listedPlans.size());
    bool modesListed = HasPowerModes();
    int mode = FindPowerMode(plan);
    if (position == count && modesListed && mode >= 0)
        position = count + static_cast<unsigned>(mode);
    else if (position == count && modesListed)
        position = count + kPowerModeCount;
    SendDlgItemMessageW(window, box, CB_SETCURSEL, position, 0);
}

static void SetCheck(HWND window, int box, int32_t flag)
{
    SendDlgItemMessageW(window, box, BM_SETCHECK, flag != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

static void EnableControl(HWND window, int control, bool enable)
{
    EnableWindow(GetDlgItem(window, control), enable ? TRUE : FALSE);
}

static void EnableAcRule(HWND window, bool enable)
{
    EnableControl(window, IDC_PLUGGED_IN_PLAN, enable);
    EnableControl(window, IDC_UNPLUGGED_PLAN, enable);
}

static void EnableLowBatteryRule(HWND window, bool enable)
{
    EnableControl(window, IDC_LOW_BATTERY_PLAN, enable);
    EnableControl(window, IDC_PERCENT, enable);
}

void FillSettingsDialog(HWND window)
{
    RefreshPlanCatalogue();
    CopyPlans(&listedPlans);
    // Loading puts the file's settings in force at once, whatever the user does next.
    if (CanReadConfig())
        LoadConfig();
    else
        SaveConfig();

    const SwitchSettings& settings = app.settings;
    FillPlanBoxes(window);
    SelectPlan(window, IDC_PLUGGED_IN_PLAN, settings.pluggedInPlan);
    SelectPlan(window, IDC_UNPLUGGED_PLAN, settings.unpluggedPlan);
    SelectPlan(window, IDC_LOW_BATTERY_PLAN, settings.lowBatteryPlan);

    // Typing is limited to two digits; a larger loaded value is still shown whole.
    SendDlgItemMessageW(window, IDC_PERCENT, EM_LIMITTEXT, 2, 0);
    SetDlgItemInt(window, IDC_PERCENT, settings.lowBatteryPercent, FALSE);

    SetCheck(window, IDC_SWITCH_ON_AC, settings.switchOnAcChange);
    SetCheck(window, IDC_SWITCH_ON_LOW_BATTERY, settings.switchOnLowBattery);
    SetCheck(window, IDC_NOTIFICATIONS, settings.showNotifications);
    SetCheck(window, IDC_RUN_AT_STARTUP, IsInStartup() == 1);

    EnableAcRule(window, settings.switchOnAcChange != 0);
    EnableLowBatteryRule(window, settings.switchOnLowBattery != 0);
}

void ShowSettings(HWND window)
{
    FillSettingsDialog(window);
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    UpdateWindow(window);
}

void PresentSettings(HWND window)
{
    if (IsWindowVisible(window))
        SetForegroundWindow(window);
    else
        ShowSettings(window);
}

void HideSettings(HWND window)
{
    ShowWindow(window, SW_HIDE);
}

// A box with no selection (its plan not installed, or no plans at all) leaves its setting
// as it is.
static void ReadPlanBox(HWND window, int box, GUID* plan)
{
    LRESULT selected = SendDlgItemMessageW(window, box, CB_GETCURSEL, 0, 0);
    if (selected < 0)
        return;
    LRESULT count = static_cast<LRESULT>(listedPlans.size());
    const GUID* entry = selected < count ? &listedPlans[static_cast<size_t>(selected)] : nullptr;
    LRESULT mode = selected - count;
    if (entry == nullptr && mode < kPowerModeCount && HasPowerModes())
        entry = kPowerModes[mode].id;
    if (entry != nullptr)
        *plan = *entry;
}

// BST_UNCHECKED (0) or BST_CHECKED (1); the boxes have no third state.
static int32_t ReadCheck(HWND window, int box)
{
    return static_cast<int32_t>(SendDlgItemMessageW(window, box, BM_GETCHECK, 0, 0));
}

// The registry is asked afresh rather than trusting what the fill showed; it is changed only
// when it and the box disagree.
static void ApplyStartupBox(HWND window)
{
    int registered = IsInStartup();
    bool ticked = ReadCheck(window, IDC_RUN_AT_STARTUP) != 0;
    if (ticked && registered != 1)
        AddToStartup();
    else if (!ticked && registered == 1)
        RemoveFromStartup();
}

void ApplySettingsDialog(HWND window)
{
    SwitchSettings& settings = app.settings;
    ReadPlanBox(window, IDC_PLUGGED_IN_PLAN, &settings.pluggedInPlan);
    ReadPlanBox(window, IDC_UNPLUGGED_PLAN, &settings.unpluggedPlan);
    ReadPlanBox(window, IDC_LOW_BATTERY_PLAN, &settings.lowBatteryPlan);
    settings.switchOnAcChange = ReadCheck(window, IDC_SWITCH_ON_AC);
    settings.switchOnLowBattery = ReadCheck(window, IDC_SWITCH_ON_LOW_BATTERY);
    settings.showNotifications = ReadCheck(window, IDC_NOTIFICATIONS);
    // An empty field, or one that is no number, reads as 0.
    UINT percent = GetDlgItemInt(window, IDC_PERCENT, nullptr, FALSE);
    settings.lowBatteryPercent = static_cast<uint16_t>(percent & 0xFFFF);

    // The new settings are live from here on, even if saving fails; the plan is not switched
    // now, the rules act on them at the next notification.
    ApplyStartupBox(window);
    SaveConfig();
    HideSettings(window);
}

void EnableRuleControls(HWND window, int ruleCheckBox)
{
    bool ticked = ReadCheck(window, ruleCheckBox) != 0;
    if (ruleCheckBox == IDC_SWITCH_ON_AC)
        EnableAcRule(window, ticked);
    else if (ruleCheckBox == IDC_SWITCH_ON_LOW_BATTERY)
        EnableLowBatteryRule(window, ticked);
}
