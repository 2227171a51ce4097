#include "app/window_proc.h"

#include "actions/foreground_watch.h"
#include "actions/global_hotkeys.h"
#include "actions/plan_commands.h"
#include "actions/power_notice.h"
#include "app/command_exchange.h"
#include "base/app_state.h"
#include "base/messages.h"
#include "settings/hotkeys_dialog.h"
#include "settings/program_rules_dialog.h"
#include "settings/settings_dialog.h"
#include "tray/quick_commands.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

static void RouteCommand(HWND window, WPARAM wParam)
{
    WORD id = LOWORD(wParam);
    bool clicked = HIWORD(wParam) == BN_CLICKED;
    switch (id) {
    case IDOK:
        ApplySettingsDialog(window);
        return;
    case IDCANCEL:
        HideSettings(window);
        return;
    case IDC_SWITCH_ON_AC:
    case IDC_SWITCH_ON_LOW_BATTERY:
        // Focus and other notifications of the rule boxes change nothing.
        if (clicked)
            EnableRuleControls(window, id);
        return;
    case IDM_SETTINGS:
        ShowSettings(window);
        return;
    case IDM_CLOSE_SETTINGS:
        HideSettings(window);
        return;
    case IDM_EXIT:
        DestroyWindow(window);
        return;
    case IDM_DISPLAY_OFF:
        TurnDisplayOff();
        return;
    case IDM_TOGGLE_AERO:
        ToggleComposition();
        return;
    case IDM_PROGRAM_RULES:
        ShowProgramRules(window);
        return;
    case IDM_HOTKEYS:
        ShowHotkeys(window);
        return;
    }
    if (id >= IDM_POWER_MODE_FIRST && id <= IDM_POWER_MODE_LAST) {
        RunPowerModeCommand(id);
        return;
    }
    // Only what the fixed commands left over can be a plan item of the last tray menu.
    if (id >= IDM_PLAN_FIRST && id <= app.lastPlanCommand)
        RunPlanCommand(id);
}

// Without NIM_SETVERSION the shell passes the mouse message itself as the whole lParam.
static void RouteTrayNotify(HWND window, LPARAM lParam)
{
    switch (lParam) {
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
        ShowTrayMenu(window);
        return;
    case WM_LBUTTONDBLCLK:
        if (IsWindowVisible(window))
            HideSettings(window);
        else
            ShowSettings(window);
        return;
    }
}

// Each timer of the window has its identifier in base/messages.h.
static void RouteTimer(HWND window, WPARAM id)
{
    switch (id) {
    case kTrayRetryTimer:
        RetryTrayIcon(window);
        return;
    case kSettleTimer:
        SettleReturn();
        return;
    }
}

// Scale changes, named here because the headers define them only for later Windows versions:
// the window's own DPI (Windows 8.1 and later) and the user's new scale setting (Windows 8).
constexpr UINT kWmDpiChanged = 0x02E0;
constexpr UINT kSpiSetLogicalDpiOverride = 0x009F;

// After a change of scale the window's icons and the tray picture are loaded afresh at the new
// sizes. The dialog manager resizes the window and its font itself.
static void ReloadIcons(HWND window)
{
    SetWindowIcons(window);
    RefreshTrayPicture();
}

static bool IsScaleSetting(WPARAM setting)
{
    return setting == SPI_SETICONMETRICS || setting == SPI_SETNONCLIENTMETRICS ||
           setting == kSpiSetLogicalDpiOverride;
}

// The tray icon and its tooltip go to the shell as soon as the window exists: at WM_SETFONT,
// which the dialog manager sends (the template has DS_SETFONT) before it creates the settings
// window's controls, so the icon does not wait for controls only the settings window shows.
// WM_INITDIALOG adds it where that message did not come; a later WM_SETFONT adds nothing.
static void AddTrayIconOnce(HWND window)
{
    if (app.trayIcon.hWnd == window)
        return;
    AddTrayIcon(window);
    UpdateTrayStatus();
}

// Every branch but WM_COPYDATA's returns FALSE, so the dialog manager's default processing
// follows each message; that is what turns WM_CLOSE into the IDCANCEL command.
INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFONT:
    case WM_INITDIALOG:
        AddTrayIconOnce(window);
        break;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        break;
    case WM_DESTROY:
        // The machine's plan outlives the program: what a program rule replaced comes back.
        EndProgramRules();
        RemoveTrayIcon();
        ReleaseWindowIcons(window);
        PostQuitMessage(0);
        break;
    case WM_ENDSESSION:  // log-off or shut-down: the process ends once this returns
        if (wParam != FALSE)
            EndProgramRules();
        break;
    case WM_COMMAND:
        RouteCommand(window, wParam);
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE)
            HandlePowerSettingChange(reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
        else if (wParam == PBT_APMRESUMEAUTOMATIC)
            HandleResume();
        break;
    case WM_TRAYNOTIFY:
        RouteTrayNotify(window, lParam);
        break;
    case WM_TIMER:
        RouteTimer(window, wParam);
        break;
    case WM_HOTKEY:  // posted by the platform for a key registered by RegisterHotkeys
        RunHotkey(wParam);
        break;
    case WM_POWERMODECHANGED:  // posted from the platform's thread
        UpdateTrayStatus();
        break;
    case WM_SHOWSETTINGSWINDOW:  // posted by a second start
        PresentSettings(window);
        break;
    case WM_COPYDATA:  // a command sent by a start with arguments
        // A dialog procedure hands a message's result over through DWLP_MSGRESULT.
        SetWindowLongPtrW(window, DWLP_MSGRESULT,
                          TakeCopiedCommand(reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
        return TRUE;
    case kWmDpiChanged:
        ReloadIcons(window);
        break;
    case WM_SETTINGCHANGE:
        if (IsScaleSetting(wParam))
            ReloadIcons(window);
        break;
    default:
        if (app.taskbarCreatedMessage != 0 && message == app.taskbarCreatedMessage)
            RestoreTrayIcon(window);
        break;
    }
    return FALSE;
}
