#include "tray/tray_menu.h"

#include "base/app_state.h"
#include "core/plan_order.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"
#include "power/plan_name.h"
#include "power/power_api.h"
#include "power/power_mode.h"
#include "tray/quick_commands.h"

// Plan items take the ids from IDM_PLAN_FIRST up to just below the first fixed id above them
// (IDC_PERCENT), so a plan id never collides with a routed command or a settings control's
// notification. Plans beyond that are not listed.
constexpr WORD kLastPlanCommand = IDC_PERCENT - 1;

// No tick at all when the active plan could not be read.
static UINT CheckFlag(bool activeKnown, const GUID& active, const GUID& plan)
{
    return activeKnown && IsSameGuid(active, plan) ? MF_CHECKED : MF_UNCHECKED;
}

// A menu takes "&" as the mark of a keyboard shortcut, so a plan's own "&" is doubled to show
// as itself: "R&D" would otherwise read "RD" with the D underlined.
static void EscapeMenuText(const WCHAR* text, WCHAR (&escaped)[2 * kPlanNameUnits])
{
    size_t at = 0;
    for (; *text != L'\0'; ++text) {
        if (*text == L'&')
            escaped[at++] = L'&';
        escaped[at++] = *text;
    }
    escaped[at] = L'\0';
}

static void FillPlanMenu(HMENU plans)
{
    app.lastPlanCommand = IDM_PLAN_FIRST - 1;
    RefreshPlanCatalogue();
    GUID active = {};
    bool activeKnown = GetActivePlan(&active);

    // The built-in plans go at the bottom under fixed labels. One the walk does not meet keeps
    // id 0, which no route acts on.
    WORD builtInIds[3] = {0, 0, 0};
    unsigned count = PlanCount();
    for (unsigned position = 0; position < count; ++position) {
        if (app.lastPlanCommand == kLastPlanCommand)
            break;
        ++app.lastPlanCommand;
        const GUID& plan = *PlanAt(position);
        int builtIn = FindMenuBuiltIn(plan);
        if (builtIn >= 0) {
            builtInIds[builtIn] = app.lastPlanCommand;
            continue;
        }
        WCHAR name[kPlanNameUnits];
        GetPlanDisplayName(plan, name);
        WCHAR label[2 * kPlanNameUnits];
        EscapeMenuText(name, label);
        AppendMenuW(plans, MF_STRING | CheckFlag(activeKnown, active, plan), app.lastPlanCommand,
                    label);
    }
    if (count > 3)
        AppendMenuW(plans, MF_SEPARATOR, 0, nullptr);
    for (int i = 0; i < 3; ++i) {
        UINT flags = MF_STRING | CheckFlag(activeKnown, active, *kMenuBuiltInPlans[i]);
        if (builtInIds[i] == 0)
            flags |= MF_GRAYED;  // not installed, or beyond the ids that fit
        AppendMenuW(plans, flags, builtInIds[i], GetBuiltInLabel(*kMenuBuiltInPlans[i]));
    }
}

// The power modes, where the platform has them, beside "Change Power Plan": the mode in force on
// the source the machine is on is ticked, none while the active plan takes no mode.
static void AppendPowerModeItems(HMENU menu)
{
    if (!HasPowerModes())
        return;
    GUID active = {};
    GUID mode = {};
    bool inForce = GetActivePlan(&active) && GetModeInForce(active, IsOnAc(), &mode);
    for (int i = 0; i < kPowerModeCount; ++i) {
        AppendMenuW(menu, MF_STRING | CheckFlag(inForce, mode, *kPowerModes[i].id),
                    IDM_POWER_MODE_FIRST + i, kPowerModes[i].name);
    }
}

void ShowTrayMenu(HWND window)
{
    // The position at the moment of the click places the menu, so it is read first.
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = CreatePopupMenu();
    HMENU plans = CreatePopupMenu();
    if (plans != nullptr)
        FillPlanMenu(plans);
    if (menu == nullptr) {
        if (plans != nullptr)
            DestroyMenu(plans);  // never attached, so nothing else releases it
        return;
    }

    AppendCompositionItem(menu);
    AppendMenuW(menu, MF_STRING, IDM_DISPLAY_OFF, L"Display Off");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (plans != nullptr)
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(plans), L"Change Power Plan");
    else
        AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, L"Change Power Plan");
    AppendPowerModeItems(menu);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_PROGRAM_RULES, L"Program Rules...");
    AppendMenuW(menu, MF_STRING, IDM_HOTKEYS, L"Hotkeys...");
    if (IsWindowVisible(window))
        AppendMenuW(menu, MF_STRING, IDM_CLOSE_SETTINGS, L"Close Settings");
    else
        AppendMenuW(menu, MF_STRING, IDM_SETTINGS, L"Settings");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_EXIT, L"Exit");

    // A tray menu only closes on a click elsewhere when its owner is in the foreground.
    SetForegroundWindow(window);
    // The choice comes back to the window as WM_COMMAND once the menu has closed.
    TrackPopupMenu(menu, TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, nullptr);
    // A benign message forces the task switch the platform needs after a tray menu; without
    // it the next opening of the menu appears and vanishes at once.
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);  // the plan submenu belongs to it and goes with it
}
