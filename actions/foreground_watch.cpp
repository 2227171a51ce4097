#include "actions/foreground_watch.h"

#include "actions/show_switch.h"
#include "base/app_state.h"
#include "base/messages.h"
#include "power/plan_switching.h"
#include "power/power_api.h"
#include "power/power_mode.h"

static_assert(sizeof(WCHAR) == sizeof(char16_t), "UTF-16 both");

static const char16_t* Utf16(const WCHAR* text)
{
    return reinterpret_cast<const char16_t*>(text);
}

// The full path of a process's exe, or empty when it cannot be asked (another user's, a
// protected one): such a process is a program without a rule.
static void ReadProcessImage(DWORD processId, WCHAR (&image)[MAX_PATH])
{
    image[0] = L'\0';
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return;
    DWORD units = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, image, &units))
        image[0] = L'\0';
    CloseHandle(process);
}

struct FramedApp {
    DWORD frameProcess;
    DWORD appProcess;
};

static BOOL CALLBACK FindFramedApp(HWND child, LPARAM context)
{
    auto* framed = reinterpret_cast<FramedApp*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(child, &processId);
    if (processId == 0 || processId == framed->frameProcess)
        return TRUE;
    framed->appProcess = processId;
    return FALSE;
}

// A Store app's window is framed by a window of ApplicationFrameHost.exe, and the app's own
// window, of the app's process, is a child of that frame. The frame stands for the app.
static void ReadFramedImage(HWND frame, DWORD frameProcess, WCHAR (&image)[MAX_PATH])
{
    if (!ProgramMatches(u"ApplicationFrameHost.exe", Utf16(image)))
        return;
    FramedApp framed = {frameProcess, 0};
    EnumChildWindows(frame, FindFramedApp, reinterpret_cast<LPARAM>(&framed));
    if (framed.appProcess != 0)
        ReadProcessImage(framed.appProcess, image);
}

// The program a window in front stands for, in image (empty for the desktop); false when the
// window changes nothing: the program's own windows (its menu, its settings) and the shell's
// passing surfaces.
static bool ReadFrontProgram(HWND window, WCHAR (&image)[MAX_PATH])
{
    DWORD processId = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0)
        return false;
    if (processId == 0 || processId == GetCurrentProcessId())
        return false;
    ReadProcessImage(processId, image);
    WCHAR className[64] = {};
    GetClassNameW(window, className, ARRAYSIZE(className));
    FrontKind kind = ClassifyFrontWindow(Utf16(className), Utf16(image));
    if (kind == kFrontShellSurface)
        return false;
    if (kind == kFrontDesktop)
        image[0] = L'\0';
    else
        ReadFramedImage(window, processId, image);
    return true;
}

void HandleForegroundWindow(HWND window)
{
    WCHAR image[MAX_PATH];
    if (ReadFrontProgram(window, image))
        HandleForegroundProgram(image);
}

static void CALLBACK OnForegroundEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                       LONG, DWORD, DWORD)
{
    if (event == EVENT_SYSTEM_FOREGROUND && object == OBJID_WINDOW)
        HandleForegroundWindow(window);
}

static PowerState ReadPowerState()
{
    BYTE percent = 0;
    bool known = GetBatteryPercent(&percent);
    return {IsOnAc(), known ? static_cast<int>(percent) : -1};
}

// What is in force now, read into the caller's storage.
struct SceneReading {
    GUID active;
    GUID mode;
    GUID sourceMode;
    ForegroundScene scene;
};

static void ReadScene(SceneReading* reading)
{
    PowerState power = ReadPowerState();
    InForce inForce = ReadInForce(power.onAc, &reading->active, &reading->mode);
    bool sourceModeKnown = GetPowerMode(power.onAc, &reading->sourceMode);
    reading->scene = {power, inForce, sourceModeKnown ? &reading->sourceMode : nullptr};
}

static void StopSettleTimer()
{
    if (app.settleTimerSet != 0)
        KillTimer(app.trayIcon.hWnd, kSettleTimer);
    app.settleTimerSet = 0;
}

// Windows 11 keeps a mode for each source; Windows 10's overlay answers for the source the
// machine is on only, so there the other source's mode is neither read nor set.
static bool CanReachMode(bool onAc, bool machineOnAc)
{
    return onAc == machineOnAc || HasModePerSource();
}

void SettleReturn()
{
    StopSettleTimer();
    if (!app.programState.acting)
        return;
    SceneReading reading = {};
    ReadScene(&reading);
    bool machineOnAc = reading.scene.power.onAc;
    GUID modes[2] = {};
    const GUID* known[2] = {};
    for (int source = 0; source < 2; ++source) {
        bool onAc = source == SourceIndex(true);
        if (CanReachMode(onAc, machineOnAc) && GetPowerMode(onAc, &modes[source]))
            known[source] = &modes[source];
    }
    SettledAction action = SettleProgramRules(app.settings, reading.scene, known, &app.programState);
    for (int source = 0; source < 2; ++source) {
        bool onAc = source == SourceIndex(true);
        if (!action.setMode[source] || !CanReachMode(onAc, machineOnAc))
            continue;
        // Only the mode of the source in use shows, and only when no target follows.
        SwitchResult result = SetModeBack(action.mode[source], onAc);
        if (!action.hasTarget && onAc == machineOnAc)
            ShowSwitch(result);
    }
    if (action.hasTarget)
        ShowSwitch(SwitchToTarget(action.target, machineOnAc));
}

// Decides for the program now in front and acts; a return that must wait starts the settle
// timer, or, with settleNow, settles at once.
static void ActOnFrontProgram(bool settleNow)
{
    SceneReading reading = {};
    ReadScene(&reading);
    ProgramAction action = DecideForeground(app.programRules, Utf16(app.frontImage), app.settings,
                                            reading.scene, &app.programState);
    if (action.kind == kSwitchTarget)
        ShowSwitch(SwitchToTarget(*action.target, reading.scene.power.onAc));
    if (action.kind == kSettleLater) {
        if (settleNow) {
            SettleReturn();
        } else {
            // Set anew at each program without a rule: the 2 seconds are that program's.
            SetTimer(app.trayIcon.hWnd, kSettleTimer, kSettleMs, nullptr);
            app.settleTimerSet = 1;
        }
        return;
    }
    if (!app.programState.leaving)
        StopSettleTimer();
    if (app.programState.acting) {
        ReadScene(&reading);
        NoteRulesLeft(&app.programState, reading.scene.power.onAc, reading.scene.inForce.plan,
                      reading.scene.sourceMode);
    }
}

void HandleForegroundProgram(const WCHAR* image)
{
    lstrcpynW(app.frontImage, image != nullptr ? image : L"", MAX_PATH);
    ActOnFrontProgram(false);
}

void WatchForeground()
{
    bool wanted = !app.programRules.empty();
    if (wanted && app.foregroundHook == nullptr) {
        app.foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                             nullptr, OnForegroundEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    } else if (!wanted && app.foregroundHook != nullptr) {
        UnhookWinEvent(app.foregroundHook);
        app.foregroundHook = nullptr;
    }
    if (!wanted && !app.programState.acting)
        return;
    // The window in front now, unless it changes nothing (the rules window's OK leaves the
    // settings window in front): then the program that was in front before it.
    WCHAR image[MAX_PATH];
    if (wanted && ReadFrontProgram(GetForegroundWindow(), image))
        lstrcpynW(app.frontImage, image, MAX_PATH);
    ActOnFrontProgram(true);
}

void EndProgramRules()
{
    SettleReturn();
    if (app.foregroundHook != nullptr)
        UnhookWinEvent(app.foregroundHook);
    app.foregroundHook = nullptr;
}
