// A scripted power manager for in-process tests: it holds the active plan, the plans' names
// and the AC line status, and logs every call the program makes into it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/platform.h"

struct ScriptedPower {
    GUID activePlan;
    bool activeReadable;     // false: GetActivePlan fails
    std::vector<std::pair<GUID, std::wstring>> names;  // a plan without an entry has no name
    BYTE acLineStatus;
    bool acReadable;         // false: GetAcLineStatus fails
    BYTE batteryPercent;     // 255: no battery
    std::vector<GUID> refusedPlans;  // SetActivePlan fails for these and changes nothing
    std::vector<std::wstring> calls;  // e.g. L"SetActivePlan {381B4222-...}", L"GetActivePlan"
    bool hasModes;           // false: a Windows 7 machine, no power modes
    GUID acMode, dcMode;     // the power mode of each source
    HWND modeWindow;         // where the mode notification goes, once registered
};

extern ScriptedPower scriptedPower;

// A plan of the user's own: none of the built-in three, and without a name until given one.
constexpr GUID kOwnPlan = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 5, 5, 5, 5}};

// Balanced active, the three built-in plans named as Windows names them, on AC, empty log.
void ResetScriptedPower();
void SetScriptedPlanName(const GUID& plan, const std::wstring& name);
// Number of logged calls that start with prefix, e.g. L"SetActivePlan".
int CountCalls(const std::wstring& prefix);
// The plans passed to SetActivePlan, in order.
std::vector<GUID> PlansSet();

// Delivers a power-setting notification the way the system does: WM_POWERBROADCAST with
// PBT_POWERSETTINGCHANGE and a POWERBROADCAST_SETTING holding length bytes of data.
void SendPowerSetting(HWND window, const GUID& setting, const void* data, DWORD length);
void SendPowerSource(HWND window, DWORD source);        // 0 AC, 1 battery, 2 short-term
void SendBatteryPercent(HWND window, DWORD percent);
void SendPersonality(HWND window, const GUID& personality);

std::wstring GuidText(const GUID& id);

// A Windows 11 machine: the power modes, Balanced on both sources.
void GiveScriptedPowerModes();
// The system's own slider moves: the mode of one source changes, and the registered window
// is told from another thread, as the platform's callback tells it.
void ChangeScriptedModeElsewhere(bool onAc, const GUID& mode);
