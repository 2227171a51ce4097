#include "app/launch.h"

#include <commctrl.h>

#include "app/single_instance.h"
#include "app/window_proc.h"
#include "base/app_state.h"
#include "core/power_rules.h"
#include "actions/foreground_watch.h"
#include "actions/global_hotkeys.h"
#include "power/plan_catalogue.h"
#include "power/power_api.h"
#include "settings/config_file.h"
#include "settings/hotkeys_dialog.h"
#include "settings/hotkeys_file.h"
#include "settings/program_rules_dialog.h"
#include "settings/program_rules_file.h"
#include "tray/tray_icon.h"

HWND CreateSettingsDialog(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // The template has no WS_VISIBLE, so the window starts hidden; the tray icon is added during
    // this call, before the controls are created (app/window_proc.cpp).
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                                     SettingsDialogProc, 0);
    if (window == nullptr)
        return nullptr;
    SetWindowIcons(window);
    AcceptLowerRightsMessages(window, app.taskbarCreatedMessage);

    // Windows sends each registered setting's current value right after the registration, so
    // the rules act at once: the saved rules must be in force before then. A missing or
    // unreadable file leaves the defaults, silently, fitted to the plans and modes the machine
    // has; the settings window reports it, and its first config.txt holds those defaults.
    RefreshPlanCatalogue();
    if (!LoadSavedConfig())
        FitDefaultsToMachine();
    // The program rules follow the foreground from the start, and only when there are any.
    LoadProgramRules();
    WatchForeground();
    // The hotkeys work from the start; without hotkeys.txt nothing is registered.
    LoadHotkeys();
    RegisterHotkeys(window);

    // The registrations last as long as the process; their handles are not kept.
    for (const GUID* setting : kWatchedPowerSettings)
        RegisterPowerSetting(window, *setting);
    // Where the platform has power modes, a mode changed elsewhere shows at once.
    RegisterPowerModeChange(window);

    CentreWindow(window);
    return window;
}

void CentreWindow(HWND window)
{
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT rect = {};
    GetWindowRect(window, &rect);
    // A window larger than the screen gets a negative position, centred the same way.
    int x = (screenWidth - (rect.right - rect.left)) / 2;
    int y = (screenHeight - (rect.bottom - rect.top)) / 2;
    // Moved without being activated: activating the hidden window would start its input
    // context, which in Wine's imm32 maps ole32, combase and rpcrt4 for nothing the program
    // uses. The window is activated when the settings window is shown.
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DispatchLoopMessage(HWND window, MSG* message)
{
    // The dialog manager takes the keys of the settings window, the program rules window and
    // the hotkeys window: Tab and Shift+Tab move the focus, the arrow keys work in the lists,
    // Enter presses the default button (OK), Escape Cancel.
    if (window != nullptr && IsDialogMessageW(window, message))
        return;
    HWND rules = ProgramRulesWindow();
    if (rules != nullptr && IsDialogMessageW(rules, message))
        return;
    HWND hotkeys = HotkeysWindow();
    if (hotkeys != nullptr && IsDialogMessageW(hotkeys, message))
        return;
    TranslateMessage(message);
    DispatchMessageW(message);
}

static int RunMessageLoop(HWND window)
{
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchLoopMessage(window, &message);
    return static_cast<int>(message.wParam);
}

int RunProgram(HINSTANCE instance)
{
    // Without its window the program could never be told to end, so it ends at once.
    HWND window = CreateSettingsDialog(instance);
    if (window == nullptr)
        return kNoWindowExitCode;
    return RunMessageLoop(window);
}
