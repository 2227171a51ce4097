#include "power/foreground_watch.h"

#include "app/app_state.h"
#include "power/plan_switching.h"
#include "power/power_api.h"
#include "power/power_mode.h"

static void CALLBACK OnForegroundEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                       LONG, DWORD, DWORD)
{
    if (event != EVENT_SYSTEM_FOREGROUND || object != OBJID_WINDOW || window == nullptr)
        return;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    // The program's own windows (its menu, its settings) leave the rules as they are.
    if (processId == 0 || processId == GetCurrentProcessId())
        return;
    WCHAR image[MAX_PATH] = {};
    DWORD units = MAX_PATH;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    // A process that cannot be asked (another user's, a protected one) is a program without a
    // rule.
    if (process == nullptr || !QueryFullProcessImageNameW(process, 0, image, &units))
        image[0] = L'\0';
    if (process != nullptr)
        CloseHandle(process);
    HandleForegroundProgram(image);
}

void WatchForeground()
{
    bool wanted = !app.programRules.empty();
    if (wanted && app.foregroundHook == nullptr) {
        app.foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                             nullptr, OnForegroundEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    } else if (!wanted && app.foregroundHook != nullptr) {
        StopWatchingForeground();
    }
    if (!wanted)
        app.programState = {};
}

void StopWatchingForeground()
{
    if (app.foregroundHook != nullptr)
        UnhookWinEvent(app.foregroundHook);
    app.foregroundHook = nullptr;
}

static PowerState ReadPowerState()
{
    BYTE percent = 0;
    bool known = GetBatteryPercent(&percent);
    return {IsOnAc(), known ? static_cast<int>(percent) : -1};
}

// The plan first, then the mode it had, each only where it is not in force.
static void RestoreBefore(const ProgramRuleState& before, bool onAc)
{
    GUID active = {};
    GUID mode = {};
    InForce inForce = ReadInForce(onAc, &active, &mode);
    if (before.beforePlanKnown && (inForce.plan == nullptr || !IsSameGuid(active, before.beforePlan)))
        SwitchToPlan(before.beforePlan);
    if (!before.beforeModeKnown)
        return;
    inForce = ReadInForce(onAc, &active, &mode);
    if (inForce.mode == nullptr || !IsSameGuid(mode, before.beforeMode))
        SwitchToMode(before.beforeMode, onAc);
}

void HandleForegroundProgram(const WCHAR* image)
{
    static_assert(sizeof(WCHAR) == sizeof(char16_t), "UTF-16 both");
    PowerState power = ReadPowerState();
    GUID active = {};
    GUID mode = {};
    InForce inForce = ReadInForce(power.onAc, &active, &mode);
    ProgramRuleState before = app.programState;
    ProgramAction action =
        DecideForeground(app.programRules, reinterpret_cast<const char16_t*>(image), app.settings,
                         power, inForce, &app.programState);
    if (action.kind == kSwitchTarget)
        SwitchToTarget(*action.target, power.onAc);
    else if (action.kind == kRestoreBefore)
        RestoreBefore(before, power.onAc);
}
